// Helpers shared by the test suites.
#pragma once

#include "editor/CodeMemo.h"

#include <fstream>
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

inline std::string ReadFile(const std::string &path)
{
    std::ifstream f(path, std::ios::binary);
    std::ostringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

inline void WriteFile(const std::string &path, const std::string &data)
{
    std::ofstream f(path, std::ios::binary);
    f << data;
}

inline bool FileExists(const std::string &path)
{
    std::ifstream f(path, std::ios::binary);
    return f.good();
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
    for (size_t i = 0; i < pars.size(); ++i) {
        if (i)
            s += "\r\n";
        s += pars[i];
    }
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

} // namespace quenvel::test
