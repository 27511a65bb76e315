#include "Settings.h"

#include "editor/Highlighting.h"
#include "editor/Streams.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <type_traits>
#include <variant>
#include <sys/stat.h>
#include <unistd.h>

namespace quenvel {

namespace {

std::string Trim(const std::string &s)
{
    size_t a = 0, b = s.size();
    while (a < b && (s[a] == ' ' || s[a] == '\t'))
        ++a;
    while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t' || s[b - 1] == '\r'))
        --b;
    return s.substr(a, b - a);
}

bool SameName(const std::string &a, const std::string &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (UpperAscii(static_cast<uint8_t>(a[i])) != UpperAscii(static_cast<uint8_t>(b[i])))
            return false;
    return true;
}

// Settings files are a few hundred bytes; anything far larger is not one of ours.
constexpr int64_t kMaxProfileBytes = 4 << 20;

} // namespace

bool TProfile::Load(const std::string &path)
{
    sections_.clear();
    try {
        // a regular file only: a FIFO or a device named here would block or never end
        TFileStream in(path, TFileStream::fmOpenRead);
        const int64_t size = in.Size();
        if (size < 0 || size > kMaxProfileBytes)
            return false;
        std::string text(static_cast<size_t>(size), '\0');
        text.resize(static_cast<size_t>(in.Read(text.data(), size)));
        Parse(text);
        return true;
    } catch (const EStreamError &) {
        return false;
    }
}

void TProfile::Parse(const std::string &text)
{
    sections_.clear();
    sections_.push_back(TSection{});
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        // kept as read, a CR before the LF included: written back, the line is the same
        std::string raw = text.substr(pos, end - pos);
        pos = end + 1;
        const std::string t = Trim(raw);
        if (t.size() >= 2 && t.front() == '[' && t.find(']') != std::string::npos) {
            sections_.push_back(TSection{t.substr(1, t.find(']') - 1), {}});
            continue;
        }
        TLine line;
        line.Raw = raw;
        const auto eq = t.find('=');
        if (eq != std::string::npos && eq > 0 && t[0] != ';') {
            line.Key = Trim(t.substr(0, eq));
            line.Value = Trim(t.substr(eq + 1));
        }
        sections_.back().Lines.push_back(std::move(line));
    }
}

std::string TProfile::Text() const
{
    std::string out;
    for (const TSection &s : sections_) {
        if (!s.Name.empty() || &s != &sections_.front())
            out += "[" + s.Name + "]\n";
        for (const TLine &l : s.Lines)
            out += l.Key.empty() ? l.Raw + "\n" : l.Key + "=" + l.Value + "\n";
    }
    return out;
}

void TProfile::Save(const std::string &path) const
{
    // the configuration folder may not exist yet
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        ::mkdir(path.substr(0, slash).c_str(), 0755);
    try {
        TSafeFileStream f(path);
        f.WriteString(Text());
        f.Commit();
    } catch (const std::exception &) {
        throw EStreamError("Unable to write to " + path);
    }
}

TProfile::TSection *TProfile::Find(const std::string &section)
{
    for (TSection &s : sections_)
        if (!s.Name.empty() && SameName(s.Name, section))
            return &s;
    return nullptr;
}

const TProfile::TSection *TProfile::Find(const std::string &section) const
{
    return const_cast<TProfile *>(this)->Find(section);
}

std::optional<std::string> TProfile::Value(const std::string &section, const std::string &key) const
{
    if (const TSection *s = Find(section))
        for (const TLine &l : s->Lines)
            if (!l.Key.empty() && SameName(l.Key, key))
                return l.Value;
    return std::nullopt;
}

std::string TProfile::ReadString(const std::string &section, const std::string &key, const std::string &def) const
{
    return Value(section, key).value_or(def);
}

std::optional<int32_t> TProfile::ParseInteger(const std::string &text)
{
    const std::string t = Trim(text);
    if (t.empty() || t.size() > 40)
        return std::nullopt;
    if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
        errno = 0;
        char *end = nullptr;
        const unsigned long long v = std::strtoull(t.c_str() + 2, &end, 16);
        if (*end != '\0' || errno != 0 || v > 0xFFFFFFFFull || t[2] == '-' || t[2] == '+' || t[2] == ' ')
            return std::nullopt;
        return static_cast<int32_t>(static_cast<uint32_t>(v));
    }
    errno = 0;
    char *end = nullptr;
    const long long v = std::strtoll(t.c_str(), &end, 10);
    if (*end != '\0' || errno != 0 || v < INT32_MIN || v > INT32_MAX || t[0] == ' ')
        return std::nullopt;
    return static_cast<int32_t>(v);
}

int32_t TProfile::ReadInteger(const std::string &section, const std::string &key, int32_t def) const
{
    const std::optional<std::string> v = Value(section, key);
    if (!v)
        return def;
    return ParseInteger(*v).value_or(def);
}

bool TProfile::ReadBool(const std::string &section, const std::string &key, bool def) const
{
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TProfile::WriteString(const std::string &section, const std::string &key, const std::string &value)
{
    // a value is one line: line breaks would open entries of their own
    std::string v = value;
    for (char &c : v)
        if (c == '\r' || c == '\n')
            c = ' ';
    TSection *s = Find(section);
    if (!s) {
        if (sections_.empty())
            sections_.push_back(TSection{});
        sections_.push_back(TSection{section, {}});
        s = &sections_.back();
    }
    for (TLine &l : s->Lines)
        if (!l.Key.empty() && SameName(l.Key, key)) {
            l.Value = v;
            return;
        }
    // after the section's last entry, before any blank lines that end it
    size_t at = s->Lines.size();
    while (at > 0 && s->Lines[at - 1].Key.empty() && Trim(s->Lines[at - 1].Raw).empty())
        --at;
    s->Lines.insert(s->Lines.begin() + static_cast<std::ptrdiff_t>(at), TLine{std::string(), key, v});
}

void TProfile::WriteInteger(const std::string &section, const std::string &key, int32_t value)
{
    WriteString(section, key, std::to_string(value));
}

void TProfile::WriteBool(const std::string &section, const std::string &key, bool value)
{
    WriteString(section, key, value ? "1" : "0");
}

namespace {

// One entry of the settings file: where it is kept, the member that holds it (whose value
// in a default TSettings is its default), and the values it may take.
struct TSettingEntry {
    const char *Section;
    const char *Key;
    // a list is kept as Key1, Key2, ... up to Max entries
    std::variant<int32_t TSettings::*, uint8_t TSettings::*, std::string TSettings::*, bool TSettings::*,
                 std::vector<std::string> TSettings::*>
        Member;
    int32_t Min = INT32_MIN, Max = INT32_MAX; // integers outside give the default
    int32_t Mask = -1;                         // bits kept of a small integer
    bool NonZero = false;                      // 0 gives the default
};

const TSettingEntry kEntries[] = {
    {"Window", "Width", &TSettings::Width},
    {"Window", "Height", &TSettings::Height},
    {"Window", "Top", &TSettings::Top},
    {"Window", "Left", &TSettings::Left},
    {"Window", "State", &TSettings::State, 0, 2},
    {"Window", "Syntax", &TSettings::Syntax},
    {"Font", "Type", &TSettings::FontName},
    // no font of size 0 or of an absurd size
    {"Font", "Size", &TSettings::FontSize, -kMaxFontSize, kMaxFontSize, -1, true},
    {"Font", "Style", &TSettings::FontStyle, INT32_MIN, INT32_MAX, 15},
    {"Font", "Color", &TSettings::FontColor},
    {"Colors", "Background", &TSettings::Background},
    // above 12 is taken (the Setup menu offers 1 to 12); a huge value would overflow the
    // layout's pixel arithmetic
    {"Edition", "Tabs", &TSettings::Tabs, 1, kMaxTabs},
    {"Help", "Help Window OPL", &TSettings::HelpPane},
    {"Help", "Help Window Write OPL", &TSettings::HintPane},
    {"Setup", "IncludePath", &TSettings::IncludePath},
    {"Setup", "Undo", &TSettings::Undo},
    {"Setup", "UndoLimit", &TSettings::UndoLimit, 1, INT32_MAX},
    {"Setup", "Keyboard", &TSettings::Keyboard},
    {"Setup", "LineNumbers", &TSettings::LineNumbers},
    {"Recent", "File", &TSettings::RecentFiles, 0, static_cast<int32_t>(kRecentFiles)},
};

std::string ListKey(const TSettingEntry &e, int32_t i)
{
    return e.Key + std::to_string(i + 1);
}

} // namespace

TSettings TSettings::Read(const TProfile &p, int screenWidth, int screenHeight)
{
    TSettings s;
    // a window without a saved place is centred with the size read (whatever size a
    // hand-edited file gives); the division rounds toward zero
    auto centred = [](int screen, int size) { return static_cast<int>((static_cast<int64_t>(screen) - size) / 2); };
    auto placed = [&](const char *key) {
        const std::optional<std::string> v = p.Value("Window", key);
        return v && TProfile::ParseInteger(*v);
    };
    const bool hasTop = placed("Top"), hasLeft = placed("Left");
    for (const TSettingEntry &e : kEntries) {
        std::visit(
            [&](auto member) {
                using T = std::remove_cvref_t<decltype(s.*member)>;
                if constexpr (std::is_same_v<T, std::string>) {
                    s.*member = p.ReadString(e.Section, e.Key, s.*member);
                } else if constexpr (std::is_same_v<T, std::vector<std::string>>) {
                    for (int32_t i = 0; i < e.Max; ++i)
                        if (std::string v = p.ReadString(e.Section, ListKey(e, i), ""); !v.empty())
                            (s.*member).push_back(std::move(v));
                } else if constexpr (std::is_same_v<T, bool>) {
                    s.*member = p.ReadBool(e.Section, e.Key, s.*member);
                } else {
                    const int32_t def = static_cast<int32_t>(s.*member);
                    int32_t v = p.ReadInteger(e.Section, e.Key, def);
                    if (v < e.Min || v > e.Max || (e.NonZero && v == 0))
                        v = def;
                    s.*member = static_cast<T>(v & e.Mask);
                }
            },
            e.Member);
    }
    s.Undo = SameName(s.Undo, "Toggle") ? "Toggle" : "Multi";
    s.Keyboard = SameName(s.Keyboard, "Desktop") ? "Desktop" : "Classic";
    if (!hasTop)
        s.Top = centred(screenHeight, s.Height);
    if (!hasLeft)
        s.Left = centred(screenWidth, s.Width);
    return s;
}

void TSettings::Write(TProfile &p) const
{
    for (const TSettingEntry &e : kEntries) {
        std::visit(
            [&](auto member) {
                using T = std::remove_cvref_t<decltype(this->*member)>;
                if constexpr (std::is_same_v<T, std::string>)
                    p.WriteString(e.Section, e.Key, this->*member);
                else if constexpr (std::is_same_v<T, std::vector<std::string>>)
                    for (int32_t i = 0; i < e.Max; ++i) // emptied entries are written empty
                        p.WriteString(e.Section, ListKey(e, i),
                                      i < static_cast<int32_t>((this->*member).size()) ? (this->*member)[i] : "");
                else if constexpr (std::is_same_v<T, bool>)
                    p.WriteBool(e.Section, e.Key, this->*member);
                else
                    p.WriteInteger(e.Section, e.Key, static_cast<int32_t>(this->*member));
            },
            e.Member);
    }
}

void RememberFile(std::vector<std::string> &files, const std::string &path)
{
    std::error_code ec;
    std::string full = std::filesystem::absolute(path, ec).lexically_normal().string();
    if (ec)
        full = path;
    std::erase(files, full);
    files.insert(files.begin(), full);
    if (files.size() > kRecentFiles)
        files.resize(kRecentFiles);
}

std::vector<std::string> SplitIncludePath(const std::string &value)
{
    std::vector<std::string> dirs;
    size_t start = 0;
    while (start <= value.size()) {
        const size_t end = std::min(value.find(';', start), value.size());
        std::string dir = value.substr(start, end - start);
        while (!dir.empty() && (dir.back() == ' ' || dir.back() == '\t'))
            dir.pop_back();
        const size_t first = dir.find_first_not_of(" \t");
        if (first != std::string::npos)
            dirs.push_back(dir.substr(first));
        start = end + 1;
    }
    return dirs;
}

std::string SettingsPath(const std::string &programDir, const char *xdgConfigHome, const char *home)
{
    const bool system = programDir.rfind("/usr/", 0) == 0 || programDir == "/usr" ||
                        programDir.rfind("/opt/", 0) == 0 || programDir.rfind("/bin", 0) == 0 ||
                        programDir.rfind("/sbin", 0) == 0;
    if (!programDir.empty() && !system && ::access(programDir.c_str(), W_OK) == 0)
        return programDir + "/quenvel.ini";
    std::string base;
    if (xdgConfigHome && *xdgConfigHome == '/')
        base = xdgConfigHome;
    else
        base = std::string(home && *home ? home : "/tmp") + "/.config";
    return base + "/quenvel/quenvel.ini";
}

std::string SettingsPathForThisProgram()
{
    if (const char *forced = std::getenv("QUENVEL_SETTINGS"); forced && *forced)
        return forced;
    std::string dir;
    char buf[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n > 0) {
        dir.assign(buf, static_cast<size_t>(n));
        dir = dir.substr(0, dir.find_last_of('/'));
    }
    return SettingsPath(dir, std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
}

} // namespace quenvel
