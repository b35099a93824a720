// A rectangular button drawn into a page's picture: over it the mouse shows a hand, and a click
// on it carries out its action.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

class MenuPage;

// What a click on a hot region does. Any other value does nothing.
enum class ActionCode : std::int32_t {
  NextPage = 1,
  OpenDocument = 2,
  Quit = 3,
  GoToPage = 4,
  BackUpStartupFiles = 5,
  RestoreStartupFiles = 6,
  RunCommandLine = 7,
  RunProgramThenNext = 8,
  ExploreStartDirectory = 9,
};

class HotRegion {
 public:
  HotRegion();
  virtual ~HotRegion();
  HotRegion(const HotRegion&) = delete;
  HotRegion& operator=(const HotRegion&) = delete;

  void SetParameter(std::int32_t parameter) { parameter_ = parameter; }
  void SetOwner(MenuPage* owner) { owner_ = owner; }
  void SetRectangle(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);
  void SetAction(ActionCode action) { action_ = action; }
  void SetCommand(std::string_view command) { command_ = command; }

  // The border pixels are outside: a region at x 300, width 70 takes x from 301 to 369.
  bool Contains(std::int32_t x, std::int32_t y) const;
  // True when the point is inside; the hand cursor is then shown.
  bool Hover(std::int32_t x, std::int32_t y) const;
  // True when the point is inside and the action reports the click handled, which ends the
  // page's search for a region. Actions that rebuild the page destroy this region: nothing of
  // it may be used after the action.
  bool Click(std::int32_t x, std::int32_t y);
  // The action, as a click inside would carry it out (the keyboard's click); same result.
  bool Activate();
  // The pixels a click can reach, cut to `client` (the main window's client area): the region
  // without its border, empty when none of it shows.
  RECT VisiblePart(const RECT& client) const;

  std::int32_t Parameter() const { return parameter_; }
  ActionCode Action() const { return action_; }
  const std::string& Command() const { return command_; }

 private:
  MenuPage* owner_ = nullptr;
  std::int32_t parameter_ = 0;
  ActionCode action_{};
  std::string command_;
  std::int32_t x_ = 0;
  std::int32_t y_ = 0;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
};
