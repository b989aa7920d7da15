// Where the bytes of text output go: an open stream, or text kept in memory.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace trimora {

// Takes bytes as they are; the text-mode translation is done before.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    // Writes all of the bytes; false when they could not all be written.
    virtual bool write(const char* data, std::size_t size) = 0;
    // Hands what was written on towards its destination; false on failure.
    virtual bool flush() { return true; }
};

// An open stream, which this object does not own or close. A failed write
// to standard output or standard error is remembered with its reason, for
// write_problem().
class StreamSink final : public ByteSink {
public:
    explicit StreamSink(std::FILE* stream) : stream_(stream) {}
    bool write(const char* data, std::size_t size) override;
    bool flush() override;

private:
    std::FILE* stream_;
};

// The memory console: a report kept whole until it can be printed. The text
// must outlive this object.
class MemorySink final : public ByteSink {
public:
    explicit MemorySink(std::string& text) : text_(text) {}
    bool write(const char* data, std::size_t size) override {
        text_.append(data, size);
        return true;
    }

private:
    std::string& text_;
};

// Why the console stream (standard output or standard error) could not be
// written: the system's text for the first failure, or for a stream closed
// at start; empty when it took every byte. Flushes it first.
std::string write_problem(std::FILE* stream);

}  // namespace trimora
