#pragma once
// A pointer for a headless wlroots compositor (sway): a client of the compositor's
// virtual-pointer protocol, spoken on the Wayland socket directly (Debian ships no
// headers or scanner for that protocol). A headless seat has no pointer at all, so its
// clients get no pointer events; once this device exists, the seat has one, and
// `swaymsg seat - cursor ...` and this device's own motions drive it. Relative motion
// is what the compositor's own window moves follow.

#include <sys/socket.h>
#include <sys/un.h>
#include <poll.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace x_session {

class WaylandPointer {
 public:
  ~WaylandPointer() {
    if (fd_ >= 0) close(fd_);
  }

  // Connects to `socketPath` and makes the virtual pointer; false when the compositor
  // has no such protocol or refused.
  bool Connect(const std::string& socketPath) {
    fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (fd_ < 0 || socketPath.size() >= sizeof addr.sun_path) return false;
    std::memcpy(addr.sun_path, socketPath.c_str(), socketPath.size());
    if (connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) return false;
    registry_ = nextId_++;
    Send(kDisplay, 1, {registry_});  // wl_display.get_registry
    uint32_t manager = 0;
    if (!RoundTrip(&manager) || manager == 0) return false;
    const uint32_t managerId = nextId_++;
    pointer_ = nextId_++;
    // wl_registry.bind(name, "zwlr_virtual_pointer_manager_v1", 1, new id)
    std::vector<uint32_t> bind = {manager};
    AppendString(bind, kManagerInterface);
    bind.push_back(1);
    bind.push_back(managerId);
    Send(registry_, 0, bind);
    Send(managerId, 0, {0, pointer_});  // create_virtual_pointer(default seat, new id)
    return RoundTrip(nullptr);
  }

  // Relative motion in pixels, as a mouse moves.
  bool Move(int dx, int dy) {
    Send(pointer_, 0, {Time(), Fixed(dx), Fixed(dy)});
    Send(pointer_, 4, {});  // frame
    return RoundTrip(nullptr);
  }
  // The left button down or up (BTN_LEFT).
  bool Left(bool down) {
    Send(pointer_, 2, {Time(), 0x110, down ? 1u : 0u});
    Send(pointer_, 4, {});
    return RoundTrip(nullptr);
  }

 private:
  static constexpr uint32_t kDisplay = 1;
  static constexpr char kManagerInterface[] = "zwlr_virtual_pointer_manager_v1";

  static uint32_t Fixed(int v) { return static_cast<uint32_t>(v * 256); }
  uint32_t Time() { return time_ += 10; }

  static void AppendString(std::vector<uint32_t>& words, const std::string& s) {
    words.push_back(static_cast<uint32_t>(s.size() + 1));
    std::string padded = s;
    padded.resize((s.size() + 4) / 4 * 4, '\0');  // the closing NUL, then to a whole word
    for (size_t i = 0; i < padded.size(); i += 4) {
      uint32_t word;
      std::memcpy(&word, padded.data() + i, 4);
      words.push_back(word);
    }
  }

  void Send(uint32_t object, uint32_t opcode, const std::vector<uint32_t>& args) {
    std::vector<uint32_t> message = {object, static_cast<uint32_t>((8 + 4 * args.size()) << 16) | opcode};
    message.insert(message.end(), args.begin(), args.end());
    ssize_t ignored = write(fd_, message.data(), message.size() * 4);
    (void)ignored;
  }

  // wl_display.sync, then the compositor's messages until its answer: false on a
  // protocol error or a closed socket. Notes the virtual-pointer manager's global name.
  bool RoundTrip(uint32_t* manager) {
    const uint32_t callback = nextId_++;
    Send(kDisplay, 0, {callback});
    std::vector<uint8_t> in;
    for (;;) {
      while (in.size() >= 8) {
        uint32_t head[2];
        std::memcpy(head, in.data(), 8);
        const uint32_t size = head[1] >> 16, opcode = head[1] & 0xffff;
        if (size < 8 || in.size() < size) break;
        if (head[0] == kDisplay && opcode == 0) return false;  // wl_display.error
        if (head[0] == callback && opcode == 0) return true;   // wl_callback.done
        if (head[0] == registry_ && opcode == 0 && manager && size >= 16) {
          uint32_t name, length;
          std::memcpy(&name, in.data() + 8, 4);
          std::memcpy(&length, in.data() + 12, 4);
          if (length > 0 && 16 + length <= size &&
              std::string(reinterpret_cast<const char*>(in.data() + 16), length - 1) == kManagerInterface)
            *manager = name;
        }
        in.erase(in.begin(), in.begin() + size);
      }
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, 5000) <= 0) return false;
      uint8_t buf[4096];
      const ssize_t n = read(fd_, buf, sizeof buf);
      if (n <= 0) return false;
      in.insert(in.end(), buf, buf + n);
    }
  }

  int fd_ = -1;
  uint32_t time_ = 0;
  // The compositor takes new objects' ids only in order, each one past the last.
  uint32_t nextId_ = 2;
  uint32_t registry_ = 0, pointer_ = 0;
};

}  // namespace x_session
