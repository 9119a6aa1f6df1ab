#include "tests/core/link/TestZmodem.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "tests/support/PtyLink.h"

namespace orb::test {
namespace {

bool Escaped(std::uint8_t byte, Escaping escaping) {
  switch (byte) {
    case 0x10:
    case 0x11:
    case 0x13:
    case 0x18:
    case 0x90:
    case 0x91:
    case 0x93:
      return true;
    case 0x0D:
    case 0x8D:
    case 0x7F:
    case 0xFF:
      return escaping == Escaping::kProgram;
    default:
      return false;
  }
}

void Put(Bytes& out, std::uint8_t byte, Escaping escaping) {
  if (Escaped(byte, escaping)) {
    out.push_back(0x18);
    out.push_back(byte == 0x7F ? 'l' : byte == 0xFF ? 'm' : byte ^ 0x40);
  } else {
    out.push_back(byte);
  }
}

}  // namespace

std::uint16_t BitwiseCrc(const Bytes& bytes) {
  std::uint16_t crc = 0;
  for (std::uint8_t byte : bytes) {
    for (int bit = 7; bit >= 0; --bit) {
      const bool feedback = ((crc >> 15) & 1) != ((byte >> bit) & 1);
      crc = static_cast<std::uint16_t>(crc << 1);
      if (feedback) crc ^= 0x1021;
    }
  }
  return crc;
}

Bytes Header(std::uint8_t type, std::uint32_t position, Escaping escaping) {
  Bytes body = {type, static_cast<std::uint8_t>(position), static_cast<std::uint8_t>(position >> 8),
                static_cast<std::uint8_t>(position >> 16),
                static_cast<std::uint8_t>(position >> 24)};
  const std::uint16_t crc = BitwiseCrc(body);
  body.push_back(static_cast<std::uint8_t>(crc >> 8));
  body.push_back(static_cast<std::uint8_t>(crc));
  Bytes out = {'*', 0x18, 'A'};
  for (std::uint8_t byte : body) Put(out, byte, escaping);
  return out;
}

Bytes HexHeaderOfReceiver(std::uint8_t type, std::uint32_t position) {
  const Bytes body = {
      type, static_cast<std::uint8_t>(position), static_cast<std::uint8_t>(position >> 8),
      static_cast<std::uint8_t>(position >> 16), static_cast<std::uint8_t>(position >> 24)};
  char text[32];
  std::snprintf(text, sizeof text, "%02x%02x%02x%02x%02x%04x", body[0], body[1], body[2], body[3],
                body[4], BitwiseCrc(body));
  Bytes out = {'*', '*', 0x18, 'B'};
  for (const char* c = text; *c; ++c) out.push_back(static_cast<std::uint8_t>(*c));
  out.push_back(0x0D);
  out.push_back(0x8A);
  if (type != 3 && type != 8) out.push_back(0x11);
  return out;
}

Bytes Subpacket(const Bytes& data, std::uint8_t end, Escaping escaping) {
  Bytes out;
  for (std::uint8_t byte : data) Put(out, byte, escaping);
  Bytes crc_input = data;
  crc_input.push_back(end);
  const std::uint16_t crc = BitwiseCrc(crc_input);
  out.push_back(0x18);
  out.push_back(end);
  Put(out, static_cast<std::uint8_t>(crc >> 8), escaping);
  Put(out, static_cast<std::uint8_t>(crc), escaping);
  if (end == 'k') out.push_back(0x11);
  return out;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

bool ParseBinaryHeader(const Bytes& bytes, std::size_t* cursor, ParsedHeader* header) {
  std::size_t p = *cursor;
  while (p + 2 < bytes.size() &&
         !(bytes[p] == '*' && bytes[p + 1] == 0x18 && bytes[p + 2] == 'A')) {
    ++p;
  }
  if (p + 2 >= bytes.size()) return false;
  p += 3;
  Bytes body;
  while (body.size() < 7) {
    if (p >= bytes.size()) return false;
    std::uint8_t byte = bytes[p++];
    if (byte == 0x18) {
      if (p >= bytes.size()) return false;
      const std::uint8_t next = bytes[p++];
      byte = next == 'l' ? 0x7F : next == 'm' ? 0xFF : next ^ 0x40;
    }
    body.push_back(byte);
  }
  header->type = body[0];
  header->position =
      body[1] | body[2] << 8 | body[3] << 16 | static_cast<std::uint32_t>(body[4]) << 24;
  header->crc_ok = BitwiseCrc({body.begin(), body.begin() + 5}) == (body[5] << 8 | body[6]);
  *cursor = p;
  return true;
}

void ConsoleSender::Run(int fd) {
  const std::uint64_t deadline = NowMs() + timeout_ms;
  auto read_more = [&]() {
    pollfd port{fd, POLLIN, 0};
    if (::poll(&port, 1, 10) > 0) {
      std::uint8_t chunk[4096];
      const ssize_t n = ::read(fd, chunk, sizeof chunk);
      if (n > 0) heard.insert(heard.end(), chunk, chunk + n);
    }
    return NowMs() < deadline;
  };
  auto write_all = [&](const Bytes& bytes) {
    std::size_t done = 0;
    while (done < bytes.size() && NowMs() < deadline) {
      const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
      if (n > 0) {
        done += static_cast<std::size_t>(n);
      } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
        return false;
      } else {
        pollfd port{fd, POLLOUT, 0};
        ::poll(&port, 1, 10);
      }
    }
    return done == bytes.size();
  };
  std::size_t cursor = 0;
  auto expect = [&](std::uint8_t type, std::uint32_t position) {
    ParsedHeader header;
    while (!ParseBinaryHeader(heard, &cursor, &header)) {
      if (!read_more()) {
        error = "no header " + std::to_string(type) + " at " + std::to_string(position);
        return false;
      }
    }
    if (header.type != type || header.position != position || !header.crc_ok) {
      error = "header " + std::to_string(header.type) + " at " + std::to_string(header.position) +
              " instead of " + std::to_string(type) + " at " + std::to_string(position);
      return false;
    }
    return true;
  };

  const Bytes hello = {'r', 'z', 0x0D, '*', '*', 0x18, 'B', '0', '0', '0',  '0',  '0',
                       '0', '0', '0',  '0', '0', '0',  '0', '0', '0', 0x0D, 0x8A, 0x11};
  if (!write_all(hello)) return void(error = "cannot write");
  while (heard.size() < 21) {
    if (!read_more()) return void(error = "no ZRINIT");
  }
  cursor = 21;

  const std::string size = std::to_string(data.size());
  const std::string info_text =
      "data.gz" + std::string(1, '\0') + size + " 14677243412 100644 0 1 " + size;
  Bytes info(info_text.begin(), info_text.end());
  info.push_back(0);
  if (!write_all(
          Concat({Header(4, 0, Escaping::kSender), Subpacket(info, 'k', Escaping::kSender)})))
    return void(error = "cannot write");
  if (!expect(9, 0)) return;

  std::size_t position = 0;
  bool first = true;
  while (first || position < data.size()) {
    const std::size_t n = std::min<std::size_t>(block, data.size() - position);
    const Bytes piece(data.begin() + position, data.begin() + position + n);
    const bool last = position + n == data.size();
    Bytes frame;
    if (end == 'k' || first)
      frame = Header(10, static_cast<std::uint32_t>(position), Escaping::kSender);
    const std::uint8_t letter = end == 'k' ? 'k' : last ? 'h' : end;
    frame = Concat({frame, Subpacket(piece, letter, Escaping::kSender)});
    if (last && end == 'i')
      frame =
          Concat({frame, Header(11, static_cast<std::uint32_t>(data.size()), Escaping::kSender)});
    if (!write_all(frame)) return void(error = "cannot write");
    position += n;
    first = false;
    if (last) break;
    if (letter != 'i' && !expect(3, static_cast<std::uint32_t>(position))) return;
  }
  expect(8, 0);
}

Bytes ExpectedReceiverBytes(std::size_t size, std::uint8_t end, int block) {
  const std::string zrinit =
      "**\x18"
      "B010004000256d3\n\r\x11";
  Bytes out(zrinit.begin(), zrinit.end());
  out = Concat({out, Header(9, 0, Escaping::kProgram)});
  if (end != 'i') {
    for (std::size_t position = block; position < size; position += block) {
      out = Concat({out, Header(3, static_cast<std::uint32_t>(position), Escaping::kProgram)});
    }
  }
  return Concat({out, Header(8, 0, Escaping::kProgram)});
}

}  // namespace orb::test
