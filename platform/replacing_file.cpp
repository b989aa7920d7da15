// Temporary output files: their names, the table an interruption reads, the commit by rename.
#include "platform/replacing_file.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <random>
#include <string>

#include "platform/system.h"

namespace trimora {

namespace {

// Room for every job of the widest run (256) and then some.
constexpr int kSlots = 512;

// A slot's word holds its state in the low bits and, while a thread sets its
// name and makes its file, that thread's token above them, so that a handler
// knows whether it interrupted that very thread. States: free; the name being
// set, or complete and its file being made, by the thread of the token; the
// name of a file that exists; being removed by a handler, for good.
enum SlotState : std::uint64_t { kFree, kNaming, kCreating, kOpen, kRemoving };
constexpr int kStateBits = 3;
constexpr std::uint64_t kStateMask = (1u << kStateBits) - 1;

static_assert(std::atomic<std::uint64_t>::is_always_lock_free && std::atomic<bool>::is_always_lock_free,
              "a signal handler may use only lock-free atomics");

struct Slot {
    std::atomic<std::uint64_t> word{kFree};
    // Owned by the slot and kept from one file to the next, so that a handler
    // never reads a name its writer has freed.
    std::filesystem::path::string_type name;
};

// Made before main and never destroyed: a handler may read it to the very end.
Slot* const slots = new Slot[kSlots];
std::atomic<bool> interrupted{false};
std::atomic<std::uint64_t> last_token{0};
// The calling thread's token, 0 until it first takes a slot; a plain
// thread-local word, which a handler may read.
thread_local std::uint64_t thread_token = 0;

std::uint64_t token_of_this_thread() {
    if (thread_token == 0) thread_token = last_token.fetch_add(1) + 1;
    return thread_token;
}

// Takes a free slot and sets its name; -1 when none is left or the run is
// interrupted.
int take_slot(const std::filesystem::path::string_type& name) {
    const std::uint64_t mine = token_of_this_thread() << kStateBits;
    for (int i = 0; i < kSlots; ++i) {
        std::uint64_t expected = kFree;
        if (!slots[i].word.compare_exchange_strong(expected, mine | kNaming)) continue;
        // After taking the slot: either a handler sees it taken and waits for
        // it, or this sees the handler's flag.
        if (interrupted.load()) {
            slots[i].word.store(kFree);
            return -1;
        }
        try {
            slots[i].name = name;
        } catch (...) {
            slots[i].word.store(kFree);
            throw;
        }
        slots[i].word.store(mine | kCreating);
        return i;
    }
    return -1;
}

// Frees the slot, unless a handler is removing its file: then the slot stays
// the handler's until the process ends.
void free_slot(int slot) {
    std::uint64_t expected = kOpen;
    slots[slot].word.compare_exchange_strong(expected, kFree);
}

// Six letters or digits that no other name of this run, or of a run beside
// it, is likely to have.
std::string unique_part() {
    static std::atomic<std::uint64_t> counter{
        (std::random_device{}() ^ static_cast<std::uint64_t>(
                                      std::chrono::steady_clock::now().time_since_epoch().count())) *
        0x9E3779B97F4A7C15ULL};
    std::uint64_t bits = counter.fetch_add(0x9E3779B97F4A7C15ULL);
    // splitmix64: neighbouring counts give unrelated names.
    bits = (bits ^ (bits >> 30)) * 0xBF58476D1CE4E5B9ULL;
    bits = (bits ^ (bits >> 27)) * 0x94D049BB133111EBULL;
    bits ^= bits >> 31;
    static constexpr char kCharacters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string text(6, ' ');
    for (char& c : text) {
        c = kCharacters[bits % 36];
        bits /= 36;
    }
    return text;
}

// The start of a temporary name for the file name: the name cut to 100 bytes
// (at a character's start) so that the whole stays within every system's
// limit of 255, with no ':' (a stream of another file on Windows).
std::string temporary_prefix(const std::string& name) {
    std::size_t end = name.size() < 100 ? name.size() : 100;
    while (end > 0 && end < name.size() && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end;
    std::string prefix(1, '.');
    prefix.append(name, 0, end);
    for (char& c : prefix) {
        if (c == ':') c = '_';
    }
    prefix.append(".trimora-");
    return prefix;
}

}  // namespace

bool ReplacingFile::open(const char* name) {
    discard();
    OutputPlace place;
    if (!find_output_place(name, place)) return false;
    target_ = path_from_utf8(place.target.c_str());
    // A name without a last part ("", "dir/", "..") is no file to make: it
    // fails when opened as it is, as it always did.
    const std::filesystem::path last = target_.filename();
    if (!place.replaced || last.empty() || last == "." || last == "..") {
        stream_ = open_file(name, "wb");
        return stream_ != nullptr;
    }
    keeps_permissions_ = place.exists;
    permissions_ = place.permissions;
    const std::string prefix = temporary_prefix(utf8_from_path(target_.filename()));
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string temporary_name = prefix;
        temporary_name.append(unique_part());
        temporary_name.append(".tmp");
        const std::filesystem::path temporary = target_.parent_path() / path_from_utf8(temporary_name.c_str());
        const int slot = take_slot(temporary.native());
        if (slot < 0) return false;
        bool name_taken = false;
        std::FILE* file = create_new_file(temporary.c_str(), name_taken);
        if (file == nullptr) {
            slots[slot].word.store(kFree);
            if (name_taken) continue;
            return false;
        }
        slots[slot].word.store(kOpen);
        stream_ = file;
        slot_ = slot;
        temporary_ = temporary;
        return true;
    }
    return false;
}

bool ReplacingFile::commit() {
    if (stream_ == nullptr) return false;
    // Where the system refuses the bits (a file system without them), the file is still whole.
    if (slot_ >= 0 && keeps_permissions_) static_cast<void>(set_permissions(stream_, permissions_));
    bool written = std::fclose(stream_) == 0;
    stream_ = nullptr;
    if (slot_ < 0) return written;
    if (written) written = rename_over(temporary_.c_str(), target_.c_str());
    if (!written) static_cast<void>(remove_file(temporary_.c_str()));
    free_slot(slot_);
    slot_ = -1;
    return written;
}

void ReplacingFile::discard() {
    if (stream_ != nullptr) static_cast<void>(std::fclose(stream_));  // nothing of it is kept
    stream_ = nullptr;
    if (slot_ < 0) return;
    static_cast<void>(remove_file(temporary_.c_str()));
    free_slot(slot_);
    slot_ = -1;
}

void remove_pending_files() {
    interrupted.store(true);
    const std::uint64_t mine = thread_token;
    for (int i = 0; i < kSlots; ++i) {
        Slot& slot = slots[i];
        std::uint64_t word = slot.word.load();
        for (; (word & kStateMask) == kNaming || (word & kStateMask) == kCreating; word = slot.word.load()) {
            if (mine != 0 && word >> kStateBits == mine) {
                // The interrupted thread is this one: its file may have just
                // been made, under a name that is complete. It goes no further.
                if ((word & kStateMask) == kCreating) static_cast<void>(remove_file(slot.name.c_str()));
                break;
            }
            // Another thread finishes making its file, or gives the slot back, soon.
        }
        std::uint64_t expected = kOpen;
        if (slot.word.compare_exchange_strong(expected, kRemoving)) static_cast<void>(remove_file(slot.name.c_str()));
    }
}

}  // namespace trimora
