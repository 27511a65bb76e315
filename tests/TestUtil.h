// Helpers shared by the test suites.
#pragma once

#include "editor/CodeMemo.h"

#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <random>
#include <sstream>
#include <string>

namespace quenvel::test {

inline void LoadString(TCodeMemo &memo, const std::string &bytes)
{
    TProtMemStream s;
    s.Attach(bytes.data(), static_cast<int64_t>(bytes.size()));
    memo.LoadFromStream(s);
}

inline std::string SaveString(TCodeMemo &memo)
{
    TMemoryStream s;
    memo.SaveToStream(s);
    return s.AsString();
}

// Selects from s to e, the caret at e.
inline void Select(TCodeMemo &m, int32_t s, int32_t e)
{
    m.SetSelLength(0);
    m.SetSelStart(s);
    m.SetSelLength(e - s);
}

// "text|caret,selection length"
inline std::string State(TCodeMemo &m)
{
    return m.Text() + "|" + std::to_string(m.SelStart()) + "," + std::to_string(m.SelLength());
}

inline std::vector<std::string> Paragraphs(TCodeMemo &memo)
{
    std::vector<std::string> v;
    for (int32_t i = 0; i < memo.ParagraphCount(); ++i)
        v.push_back(memo.ParagraphText(i));
    return v;
}

inline std::string ReadFile(const std::string &path)
{
    std::ostringstream ss;
    ss << std::ifstream(path, std::ios::binary).rdbuf();
    return ss.str();
}

inline void WriteFile(const std::string &path, const std::string &data)
{
    std::ofstream(path, std::ios::binary) << data;
}

// The paragraphs of a text after loading, as the loader's break rules split it.
inline std::vector<std::string> SplitLikeLoader(const std::string &bytes)
{
    std::vector<std::string> pars(1);
    char pending = 0;
    for (char c : bytes) {
        if (c == 0)
            break;
        if (c == '\r' || c == '\n') {
            if (pending && pending != c) {
                pending = 0;
                continue;
            }
            pars.emplace_back();
            pending = c;
            continue;
        }
        pending = 0;
        pars.back().push_back(c == 5 ? static_cast<char>(167) : c);
    }
    return pars;
}

// Flat text as positions: paragraphs joined by CR LF.
inline std::string Join(const std::vector<std::string> &pars)
{
    std::string s;
    for (size_t i = 0; i < pars.size(); ++i)
        s += (i ? "\r\n" : "") + pars[i];
    return s;
}

struct TTempDir {
    std::string path;
    TTempDir()
    {
        char tmpl[] = "/tmp/quenvel-test-XXXXXX";
        path = mkdtemp(tmpl);
    }
    ~TTempDir() { std::system(("rm -rf '" + path + "'").c_str()); }
    std::string operator/(const std::string &name) const { return path + "/" + name; }
};

#ifdef QUENVEL_TEST_DATA
// A file of the test data.
inline std::string Data(const std::string &name)
{
    return std::string(QUENVEL_TEST_DATA) + "/" + name;
}
#endif

// n random bytes, NUL included.
inline std::string RandomBytes(size_t n, uint32_t seed)
{
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (char &c : s)
        c = static_cast<char>(rng() & 0xFF);
    return s;
}

// A path quoted for the shell.
inline std::string Q(const std::string &path)
{
    return "'" + path + "'";
}

#ifdef QUENVEL_SHARED_FACTS
// A translator word: its class (function, keyword, reserved), whether the 3a and 5 translators accept it.
struct TOplFact {
    std::string Word, Class;
    bool Series3a = false, Series5 = false;
};

// Every word of the shared facts file; empty when the file is not there.
inline std::vector<TOplFact> ReadOplFacts()
{
    std::vector<TOplFact> facts;
    std::istringstream in(ReadFile(std::string(QUENVEL_SHARED_FACTS) + "/translator-words.tsv"));
    std::string line;
    for (std::getline(in, line); std::getline(in, line);) { // past the column names
        std::vector<std::string> f;
        std::istringstream cols(line);
        for (std::string c; std::getline(cols, c, '\t');)
            f.push_back(c);
        if (f.size() >= 4)
            facts.push_back({f[0], f[1], f[2] == "yes", f[3] == "yes"});
    }
    return facts;
}

// The words the Siena's table lacks although the Series 3a has them.
inline bool SienaLacks(const std::string &word)
{
    static const char *const words[] = {
        "CACHE", "COMPRESS", "RECSIZE", "GDRAWOBJECT", "GGREY", "DEFAULTWIN", "GPATT", "GINFO", "CREATESPRITE",
        "APPENDSPRITE", "CHANGESPRITE", "DRAWSPRITE", "POSSPRITE", "CLOSESPRITE", "TYPE", "EXT", "PATH", "USR",
        "USR$", "CALL", "OS", "ODBINFO", "LOADLIB", "LINKLIB", "UNLOADLIB", "FINDLIB", "GETLIBH", "NEWOBJ",
        "NEWOBJH", "SEND", "ENTERSEND", "ENTERSEND0", "CACHETIDY", "CACHEHDR", "CACHEREC"};
    for (const char *w : words)
        if (word == w)
            return true;
    return false;
}
#endif

#ifdef QUENVEL_BINARY
struct TRun {
    int status = -1;
    std::string out, err; // as the program wrote them, byte for byte
};

// Runs the real program, a hang failing (status 124); `prefix` goes first (setpriv, to run as another user).
inline TRun RunProgram(const std::string &args, const std::string &prefix = "")
{
    TTempDir t;
    ::chmod(t.path.c_str(), 0777);
    // Run as another user, the program is a copy others can reach: the build folder may
    // lie inside a private home folder.
    std::string binary = QUENVEL_BINARY;
    if (!prefix.empty() && std::system(("cp '" + binary + "' '" + (t / "quenvel") + "'").c_str()) == 0) {
        binary = t / "quenvel";
        ::chmod(binary.c_str(), 0755);
    }
    const std::string cmd = prefix + " timeout 60 '" + binary + "' " + args + " >'" + (t / "out") +
                            "' 2>'" + (t / "err") + "' </dev/null";
    const int rc = std::system(cmd.c_str());
    return {WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, ReadFile(t / "out"), ReadFile(t / "err")};
}
#endif

} // namespace quenvel::test
