// Receive-side framing: picks commands "#...;" of at most 255 characters out of bytes.
// Every receive path uses it: serial lines as one continuous stream (a frame may span
// reads), UDP datagrams and URL replies one scan each (ScanDatagram).
//
// The sink is called as sink(std::string_view frame, bool notify); notify is false when
// the character directly before the "#" was "/". The frame view is only valid during
// the call. One framer per receive thread; no locking.
#pragma once

#include <cstddef>
#include <string_view>

namespace tessaro {

constexpr int MaxCommandLength = 255;

class TFramer {
 public:
  // Continuous stream: state carries over between calls.
  template <typename Sink>
  void Feed(const char* data, size_t n, Sink&& sink) {
    for (size_t i = 0; i < n; ++i)
      Step(data[i], sink);
  }

  // Abandons a partial frame (for example after a read error on a serial line).
  void Reset() {
    InFrame = false;
    Pos = 0;
  }
  bool InsideFrame() const { return InFrame; }

  // One datagram or reply: a "#" at the very start notifies, an unterminated frame at
  // the end is discarded, and an overflow discards the rest.
  template <typename Sink>
  static void ScanDatagram(const char* data, size_t n, Sink&& sink) {
    TFramer f;
    for (size_t i = 0; i < n; ++i)
      if (f.Step(data[i], sink) == TStep::Overflow) return;
  }

 private:
  enum class TStep { Idle, Stored, Overflow };

  template <typename Sink>
  TStep Step(char c, Sink& sink) {
    char before = Prev;
    Prev = c;
    if (c == '#') {
      // A "#" always starts a frame, also in the middle of an unfinished one.
      InFrame = true;
      Notify = before != '/';
      Buf[0] = '#';
      Pos = 1;
      return TStep::Stored;
    }
    if (!InFrame) return TStep::Idle;
    if (static_cast<unsigned char>(c) < 0x20) {
      if (c == '\n') {
        if (Buf[Pos - 1] == '\r') return TStep::Idle;
      } else if (c != '\r') {
        return TStep::Idle;  // dropped; takes no position
      }
    }
    if (Pos >= MaxCommandLength) {
      InFrame = false;  // overflow: scanning for "#" resumes with the next character
      Pos = 0;
      return TStep::Overflow;
    }
    Buf[Pos++] = c;
    if (c == ';') {
      InFrame = false;
      sink(std::string_view(Buf, static_cast<size_t>(Pos)), Notify);
      Pos = 0;
    }
    return TStep::Stored;
  }

  char Buf[MaxCommandLength];
  int Pos = 0;
  bool InFrame = false;
  bool Notify = true;
  char Prev = 0;
};

}  // namespace tessaro
