// What the engine needs of the terminal view and the console. The models behind these
// (buffers, counters, the log file) implement them; tests fake them.
//
// Threads: Add*/Receive are called from receive threads and the transmit thread and
// must only push into buffers. Everything else runs in the main thread.
#pragma once

#include <string_view>

namespace tessaro {

class TTerminalSink {
 public:
  virtual ~TTerminalSink() = default;
  // One received character of the terminal interface, before framing.
  virtual void AddCharacter(char c) = 0;
  // A framed command as "'" + frame + "'", and whether it reached an instrument.
  virtual void AddCommand(std::string_view text, bool forwarded) = 0;
  // A command sent on the terminal interface, as "'" + text + "'".
  virtual void AddSentLine(std::string_view text) = 0;

  virtual void StartCollecting() = 0;
  virtual void StopCollecting() = 0;
  virtual bool Collecting() const = 0;
  virtual void Refresh() = 0;
};

class TConsoleSink {
 public:
  virtual ~TConsoleSink() = default;
  // Text of a channel-0 command from the type letter up to the ";" ("F12,3", "SEins\n").
  // Returns whether the console took it (active or recording).
  virtual bool Receive(std::string_view text) = 0;

  virtual void RunStart() = 0;
  virtual void RunStop() = 0;
  virtual bool ActiveOrRecording() const = 0;
  virtual void Update() = 0;
};

}  // namespace tessaro
