#include "engine/adb/byte_stream.h"

namespace adb {

bool ReadExact(ByteStream& stream, char* buffer, std::size_t size) {
  while (size > 0) {
    const std::size_t n = stream.ReadSome(buffer, size);
    if (n == 0) return false;
    buffer += n;
    size -= n;
  }
  return true;
}

}  // namespace adb
