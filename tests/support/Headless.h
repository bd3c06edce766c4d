// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Stand-ins for the platform services, so the game can be driven frame by frame without a window:
// a clock the test sets, a window that keeps the presented frames, and a sound that records its calls.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/Form.h"
#include "audio/Sound.h"
#include "gfx/Font.h"
#include "platform/Clock.h"
#include "platform/ImageDecoder.h"
#include "platform/Shell.h"
#include "platform/Window.h"

namespace gw::test {

class FakeClock final : public platform::Clock {
 public:
  std::uint32_t TickCount() override { return tick; }
  std::uint64_t PerformanceCounter() override { return counter; }
  // Sleeping moves time on, so a test sees the hold without waiting for it.
  void Sleep(std::uint32_t ms) override {
    slept += ms;
    tick += ms;
  }

  std::uint32_t tick = 1000;
  std::uint64_t counter = 12345;
  std::uint64_t slept = 0;
};

class FakeWindow final : public platform::Window {
 public:
  void Setup(bool isWindowed) override {
    ++setups;
    windowed = isWindowed;
  }
  void Present(const std::uint32_t* pixels, int pitchBytes) override;
  // Counts each pixel that differs from the frame before but lies outside the columns said to differ.
  void PresentChanged(const std::uint32_t* pixels, int pitchBytes,
                      std::span<const platform::ColumnRange> mayDiffer) override;
  bool IsActive() override { return active; }
  int ShowCursor(bool show) override { return cursorCounter += show ? 1 : -1; }
  void WarpMouse(int x, int y) override { warps.push_back({x, y}); }
  bool IsLetterKeyDown(char letter) override { return keysDown.find(letter) != std::string::npos; }
  std::pair<int, int> DesktopSize() override { return {1280, 1024}; }
  platform::ScreenRect WindowRect() override { return rect; }
  void MoveWindowTo(int left, int top) override { rect = {left, top, left + 800, top + 600}; }
  void Minimize() override { ++minimized; }
  void RunMessageLoop(platform::WindowEvents& e) override { events = &e; }
  bool PumpWhileBusy(std::uint32_t) override {
    ++busyPumps;
    return closeWhileBusy;
  }
  void Close() override {
    if (events && events->OnCloseQuery()) closed = true;
  }
  void ShowError(const std::string& message) override { errors.push_back(message); }

  bool windowed = true;
  bool active = true;
  bool closed = false;
  int setups = 0;
  int minimized = 0;
  int presents = 0;
  int changedPresents = 0;
  long long missedChanges = 0;
  int busyPumps = 0;
  bool closeWhileBusy = false;  // the user closes the window during every wait
  int cursorCounter = 0;
  std::string keysDown;
  std::vector<std::pair<int, int>> warps;
  std::vector<std::string> errors;
  std::vector<std::uint32_t> lastFrame;
  platform::ScreenRect rect{240, 212, 1040, 812};
  platform::WindowEvents* events = nullptr;
};

class FakeShell final : public platform::Shell {
 public:
  void OpenFile(const std::string& path) override { opened.push_back(path); }
  void OpenUrl(const std::string& url) override { opened.push_back(url); }
  std::vector<std::string> opened;
};

class RecordingSound final : public audio::Sound {
 public:
  void PlayEffect(int index) override { calls.push_back("effect " + std::to_string(index)); }
  void SetEffectsOn(bool on) override { calls.push_back(on ? "effects on" : "effects off"); }
  void PlaySong(std::string_view name) override { calls.push_back("song " + std::string(name)); }
  void StopSong() override { calls.push_back("stop song"); }
  void PollSong() override {}
  int Count(const std::string& call) const;
  std::vector<std::string> calls;
};

// The test font: the fallback face the game uses on this machine.
gfx::GameFont& TestFont();

// Makes a fresh temporary folder the current folder for the test's lifetime.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path previous_;
  std::filesystem::path path_;
};

// The pack as Data/Data.pp in the current folder, as the game finds its own.
void PlacePack(const std::filesystem::path& pack);

// A whole program with headless services, created in a fresh folder as the real one is at start-up, with the
// standard test pack or the given one (the build's own pack, for tests of what the player sees).
struct HeadlessGame {
  HeadlessGame();
  explicit HeadlessGame(const std::filesystem::path& pack);

  TempFolder folder;
  FakeClock clock;
  FakeWindow window;
  FakeShell shell;
  RecordingSound sound;
  std::unique_ptr<platform::ImageDecoder> decoder;
  app::Program program;
  std::unique_ptr<app::MainForm> form;

  // Advances the clock by one 1/64 s tick step and runs one idle pass; returns whether a frame was drawn.
  bool Frame();
};

}  // namespace gw::test
