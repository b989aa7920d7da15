// Writing bytes to a stream, with failures told to the caller.
#include "platform/byte_sink.h"

namespace trimora {

bool StreamSink::write(const char* data, std::size_t size) {
    return size == 0 || std::fwrite(data, 1, size, stream_) == size;
}

bool StreamSink::flush() { return std::fflush(stream_) == 0; }

}  // namespace trimora
