// Output files replaced whole or not at all, and removed when the run is interrupted.
//
// Threads and signals: any thread may write a ReplacingFile of its own. Each
// temporary file being written has a slot in one fixed table, which an
// interruption handler reads without allocating or locking
// (remove_pending_files); a slot's word, an atomic, says who may touch its
// name: while a thread names and makes its file, the word holds that thread's
// token, so that a handler waits for another thread to finish, and knows when
// it has interrupted that thread itself.
#pragma once

#include <cstdio>
#include <filesystem>

namespace trimora {

// An output written under a new temporary name beside it and renamed over it
// once complete: until then the old file, if any, holds what it held. The
// temporary name is ".NAME.trimora-XXXXXX.tmp" in the folder of the file the
// output's name reaches through symbolic links, created exclusively; it
// never ends in .stl or .kpf. A replaced file keeps its permission bits; a
// new one gets those of any new file. What is no regular file (a device, a
// pipe) is written in place, as a stream.
class ReplacingFile {
public:
    ReplacingFile() = default;
    // An output neither committed nor discarded is discarded.
    ~ReplacingFile() { discard(); }
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Opens the temporary file for the UTF-8 name, in binary mode; false when
    // it cannot be made, or when the output exists but may not be written.
    bool open(const char* name);
    bool is_open() const { return stream_ != nullptr; }
    std::FILE* stream() const { return stream_; }
    // Closes the file and renames it over the output; false when the close
    // or the rename failed, and then the temporary file is gone.
    bool commit();
    // Closes and removes the temporary file: the output keeps what it held.
    void discard();

private:
    std::FILE* stream_ = nullptr;
    int slot_ = -1;  // the temporary file's slot; -1 when written in place
    std::filesystem::path temporary_;
    std::filesystem::path target_;
    bool keeps_permissions_ = false;
    unsigned permissions_ = 0;
};

// Removes every temporary file being written, each once, and lets no new one
// be made. Async-signal-safe: for the interruption handlers.
void remove_pending_files();

}  // namespace trimora
