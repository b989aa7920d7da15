// What finishes a file's full buffers before they reach its sink, while the writer fills the next.
#pragma once

#include <cstddef>
#include <memory>

namespace trimora {

class ByteSink;

// Takes a file's full buffers from its TextOutput, finishes them (on a
// worker of its own, say) and writes them to the file's sink. The buffers
// hold the file's text with marks of the finisher's own in it, each started
// by a NUL byte; a NUL of the text itself is written as put_text_nul gives
// it. The writers' point lines are the one finisher of the tool.
class BufferFinisher {
public:
    // The most bytes put_text_nul writes.
    static constexpr int kMaxTextNul = 2;

    virtual ~BufferFinisher() = default;
    // Starts finishing the size bytes at buffer, which the caller leaves
    // alone from now on; returns the buffer to fill next.
    virtual char* hand_over(char* buffer, std::size_t size) = 0;
    // Finishes and writes the last buffer, after every buffer before it.
    virtual void write_last(const char* buffer, std::size_t size) = 0;
    // Waits until every buffer is written; false when a write failed. What a
    // worker threw is thrown here.
    virtual bool finish() = 0;
    virtual bool failed() const = 0;
    // Writes the mark of a NUL byte of the text at out; returns its size.
    virtual int put_text_nul(char* out) = 0;
};

// Makes the finisher of a file opened by TextOutput, writing to its sink and
// taking buffers of buffer_size bytes.
using MakeBufferFinisher = std::unique_ptr<BufferFinisher> (*)(ByteSink& sink, std::size_t buffer_size);

}  // namespace trimora
