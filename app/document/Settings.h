// The settings file "quenvel.ini": a small profile-file reader and writer, the values it
// holds with their defaults and rules, and where the file lives.
#pragma once

#include "editor/TextStore.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quenvel {

// A profile file: "[Section]" lines open sections, "Key=Value" lines hold entries.
// Sections and keys match without regard to case; values lose their surrounding blanks.
// Lines it does not understand, and sections and keys nobody asks for, are kept as they
// stand when the file is written back.
class TProfile
{
public:
    // Reads a file; a missing or unreadable file gives an empty profile. Returns false
    // when the file could not be read (missing included).
    bool Load(const std::string &path);
    void Parse(const std::string &text);
    std::string Text() const;
    // Writes the file atomically; throws "Unable to write to %s".
    void Save(const std::string &path) const;

    std::optional<std::string> Value(const std::string &section, const std::string &key) const;
    std::string ReadString(const std::string &section, const std::string &key, const std::string &def) const;
    // Decimal, or hexadecimal after "0x"/"0X" (taken as 32 bits); anything else gives def.
    int32_t ReadInteger(const std::string &section, const std::string &key, int32_t def) const;
    bool ReadBool(const std::string &section, const std::string &key, bool def) const;
    void WriteString(const std::string &section, const std::string &key, const std::string &value);
    void WriteInteger(const std::string &section, const std::string &key, int32_t value);
    void WriteBool(const std::string &section, const std::string &key, bool value);

    // The integer a profile value stands for, if it is one.
    static std::optional<int32_t> ParseInteger(const std::string &text);

private:
    struct TLine {
        std::string Raw;   // the line as read, for lines that are not entries
        std::string Key;   // empty for other lines
        std::string Value;
    };
    struct TSection {
        std::string Name; // empty for lines before the first section
        std::vector<TLine> Lines;
    };
    TSection *Find(const std::string &section);
    const TSection *Find(const std::string &section) const;
    std::vector<TSection> sections_;
};

// The largest font size (in points, or pixels when negative) a settings file may give.
constexpr int32_t kMaxFontSize = 500;
// The widest tab a settings file may give, in characters.
constexpr int32_t kMaxTabs = 1000;

// What the settings file keeps from one run to the next, with the defaults of a first
// start. Each value is one row of the reader's and writer's table (Settings.cpp).
struct TSettings {
    int32_t Width = 608;
    int32_t Height = 459;
    int32_t Top = 0;
    int32_t Left = 0;
    int32_t State = 0; // 0 normal, 1 minimised, 2 maximised
    std::string Syntax = "OPL Siena";
    std::string FontName = "Courier New";
    int32_t FontSize = 10;
    uint8_t FontStyle = 0; // 1 bold, 2 italic, 4 underline, 8 strike-out
    TColor FontColor = 0;
    TColor Background = static_cast<TColor>(0x80000005u);
    int32_t Tabs = 8;
    bool HelpPane = true;  // "Command Help": the help tree pane
    bool HintPane = true;  // "Write Help System": the hint line pane
    // [Setup] IncludePath: folders searched for INCLUDE files, separated by ';'
    std::string IncludePath;
    // [Setup] Undo: "Multi" (a history of steps, with Redo) or "Toggle" (one change, a
    // second Undo makes it again); any other value reads as "Multi".
    std::string Undo = "Multi";
    // [Setup] UndoLimit: the most undo steps kept (a positive number).
    int32_t UndoLimit = 10000;
    // [Setup] Keyboard: "Classic" (Ctrl+X leaves the program) or "Desktop" (Ctrl+X cuts,
    // Ctrl+Q leaves); any other value reads as "Classic".
    std::string Keyboard = "Classic";
    // [Recent] File1 ... File8: the files last opened or saved, the latest first.
    std::vector<std::string> RecentFiles;
    bool LineNumbers = false; // the editor's line-number gutter

    // The values of a profile, missing and unusable ones replaced by their defaults; a
    // window without a saved place is centred on a screen of the size given.
    static TSettings Read(const TProfile &p, int screenWidth, int screenHeight);
    void Write(TProfile &p) const;
};

// How many recent files are kept.
constexpr size_t kRecentFiles = 8;
// Puts a file first in a list of recent files (as an absolute path, once), keeping at most
// kRecentFiles.
void RememberFile(std::vector<std::string> &files, const std::string &path);

// The folders of an IncludePath value, in order, empty ones left out.
std::vector<std::string> SplitIncludePath(const std::string &value);

// Where "quenvel.ini" lives: beside the program when its folder is writable (and not a
// system folder such as /usr/bin), else in the user's configuration folder
// ($XDG_CONFIG_HOME/quenvel, by default ~/.config/quenvel).
std::string SettingsPath(const std::string &programDir, const char *xdgConfigHome, const char *home);
// The same for this process (QUENVEL_SETTINGS, when set, names the file itself).
std::string SettingsPathForThisProgram();

} // namespace quenvel
