#pragma once
// The keyboard and mouse of a user, through xdotool and the server's test extension.

#include <string>
#include <vector>

class UserInput {
  public:
    explicit UserInput(std::string display) : display_(std::move(display)) {}

    // A left click at a point of the screen.
    void Click(int x, int y) const;
    // Press at one point, move to another, release.
    void Drag(int fromX, int fromY, int toX, int toY) const;
    // Types UTF-8 text. Russian letters need the spare keys XClient::AddRussianLetters() maps
    // before the program starts.
    void Type(const std::string& text) const;
    // Key names as xdotool knows them: "Return", "ctrl+a", "ctrl+v".
    void Key(const std::string& keys) const;
    void KeyRepeated(const std::string& key, int times) const;
    // A key pressed while a modifier is held for half a second, as a hand holds it: Orca takes
    // the modifiers of the latest key event for those of the key, and "key" lets them go at
    // once.
    void KeyHolding(const std::string& modifier, const std::string& key) const;
    // Moves or resizes a window as a window manager would.
    void MoveWindow(unsigned long window, int x, int y) const;
    void ResizeWindow(unsigned long window, int width, int height) const;
    // Gives the keyboard focus to a window, as clicking its frame would.
    void Focus(unsigned long window) const;

  private:
    void Run(const std::vector<std::string>& arguments) const;

    std::string display_;
};
