// Splitting OPL lines into tokens.
#include "opl/OplLexer.h"

#include <cctype>
#include <cstdlib>
#include <string>

namespace quenvel {

bool IsOplBlank(uint8_t c)
{
    return c == ' ' || c == '\t' || c == 0x10 || c == 0xA0 || c == 0xB7 || c == '\f' || c == '\v' || c == 0x1A;
}

bool IsOplNameStart(uint8_t c)
{
    return std::isalpha(c) || c == '_' || (c >= 0x80 && !IsOplBlank(c));
}

namespace {

bool IsNameByte(uint8_t c)
{
    return IsOplNameStart(c) || std::isdigit(c);
}

bool EndsOperand(const std::vector<TOplToken> &out, size_t first)
{
    if (out.size() <= first)
        return false;
    switch (out.back().Kind) {
    case TOplTok::Ident:
    case TOplTok::Int:
    case TOplTok::Long:
    case TOplTok::Float:
    case TOplTok::Str:
    case TOplTok::RParen:
        return true;
    case TOplTok::Op:
        return out.back().Text == "%";
    default:
        return false;
    }
}

// A decimal number at p: digits, a fraction, an exponent.
size_t LexNumber(std::string_view s, size_t p, TOplToken &t)
{
    const size_t start = p;
    bool real = false;
    while (p < s.size() && std::isdigit(static_cast<uint8_t>(s[p])))
        ++p;
    if (p < s.size() && s[p] == '.') {
        real = true;
        ++p;
        while (p < s.size() && std::isdigit(static_cast<uint8_t>(s[p])))
            ++p;
    }
    if (p < s.size() && (s[p] == 'e' || s[p] == 'E')) {
        size_t q = p + 1;
        if (q < s.size() && (s[q] == '+' || s[q] == '-'))
            ++q;
        if (q < s.size() && std::isdigit(static_cast<uint8_t>(s[q]))) {
            real = true;
            while (q < s.size() && std::isdigit(static_cast<uint8_t>(s[q])))
                ++q;
            p = q;
        }
    }
    t.Text = s.substr(start, p - start);
    t.Value = std::strtod(std::string(t.Text).c_str(), nullptr);
    t.Kind = real || t.Value > 2147483647.0 ? TOplTok::Float : t.Value > 32767.0 ? TOplTok::Long : TOplTok::Int;
    return p;
}

// A hexadecimal literal after '$' (integer) or '&' (long).
size_t LexHex(std::string_view s, size_t p, TOplToken &t)
{
    const size_t start = p++;
    double v = 0;
    while (p < s.size() && std::isxdigit(static_cast<uint8_t>(s[p]))) {
        const char c = static_cast<char>(std::toupper(static_cast<uint8_t>(s[p])));
        v = v * 16 + (c <= '9' ? c - '0' : c - 'A' + 10);
        ++p;
    }
    t.Kind = s[start] == '$' ? TOplTok::Int : TOplTok::Long;
    t.OutOfRange = v > (t.Kind == TOplTok::Int ? 65535.0 : 4294967295.0);
    t.Value = v;
    t.Text = s.substr(start, p - start);
    return p;
}

size_t LexString(std::string_view s, size_t p, TOplToken &t)
{
    const size_t start = p++;
    t.Kind = TOplTok::Bad;
    while (p < s.size()) {
        if (s[p] == '"') {
            if (p + 1 < s.size() && s[p + 1] == '"') {
                p += 2;
                continue;
            }
            ++p;
            t.Kind = TOplTok::Str;
            break;
        }
        ++p;
    }
    t.Text = s.substr(start, p - start);
    return p;
}

// A name, its type character and any colons after it. Returns npos for REM.
size_t LexName(std::string_view s, size_t p, TOplToken &t)
{
    const size_t start = p;
    while (p < s.size() && IsNameByte(static_cast<uint8_t>(s[p])))
        ++p;
    if (p < s.size() && (s[p] == '%' || s[p] == '&' || s[p] == '$'))
        ++p;
    t.Text = s.substr(start, p - start);
    t.Kind = TOplTok::Ident;
    if (t.Text.size() == 3 && (t.Text[0] | 0x20) == 'r' && (t.Text[1] | 0x20) == 'e' && (t.Text[2] | 0x20) == 'm')
        return std::string_view::npos;
    if (p < s.size() && s[p] == ':') {
        ++p;
        t.Kind = TOplTok::Call;
        if (p < s.size() && s[p] == ':') {
            ++p;
            t.Kind = TOplTok::Label;
        }
    }
    return p;
}

// Operators and punctuation; returns the position after the token.
size_t LexPunct(std::string_view s, size_t p, TOplToken &t)
{
    const char c = s[p];
    const char n = p + 1 < s.size() ? s[p + 1] : '\0';
    size_t len = 1;
    switch (c) {
    case '(': t.Kind = TOplTok::LParen; break;
    case ')': t.Kind = TOplTok::RParen; break;
    case ',': t.Kind = TOplTok::Comma; break;
    case '.': t.Kind = TOplTok::Dot; break;
    case ';': t.Kind = TOplTok::Semi; break;
    case '#': t.Kind = TOplTok::Hash; break;
    case ':': t.Kind = TOplTok::Sep; break;
    case '*': t.Kind = TOplTok::Op; len = n == '*' ? 2 : 1; break;
    case '<': t.Kind = TOplTok::Op; len = n == '=' || n == '>' ? 2 : 1; break;
    case '>': t.Kind = TOplTok::Op; len = n == '=' ? 2 : 1; break;
    case '+': case '-': case '/': case '=': t.Kind = TOplTok::Op; break;
    case '@':
        t.Kind = TOplTok::At;
        len = n == '%' || n == '&' || n == '$' ? 2 : 1;
        break;
    default: t.Kind = TOplTok::Bad; break;
    }
    t.Text = s.substr(p, len);
    return p + len;
}

} // namespace

void LexOplLine(std::string_view s, std::vector<TOplToken> &out)
{
    out.clear();
    size_t p = 0;
    while (p < s.size()) {
        const uint8_t c = static_cast<uint8_t>(s[p]);
        if (IsOplBlank(c)) {
            ++p;
            continue;
        }
        TOplToken t;
        t.Col = static_cast<int32_t>(p);
        const uint8_t n = p + 1 < s.size() ? static_cast<uint8_t>(s[p + 1]) : 0;
        if (IsOplNameStart(c)) {
            p = LexName(s, p, t);
            if (p == std::string_view::npos)
                break;
        } else if (std::isdigit(c) || (c == '.' && std::isdigit(n) && !(EndsOperand(out, 0) && out.back().Kind == TOplTok::Ident))) {
            p = LexNumber(s, p, t);
        } else if ((c == '$' || c == '&') && std::isxdigit(n)) {
            p = LexHex(s, p, t);
        } else if (c == '"') {
            p = LexString(s, p, t);
        } else if (c == '%') {
            if (EndsOperand(out, 0)) {
                t.Kind = TOplTok::Op;
                t.Text = s.substr(p++, 1);
            } else if (p + 1 < s.size()) {
                t.Kind = TOplTok::Int;
                t.Value = n;
                t.Text = s.substr(p, 2);
                p += 2;
            } else {
                t.Kind = TOplTok::Bad;
                t.Text = s.substr(p++, 1);
            }
        } else {
            p = LexPunct(s, p, t);
        }
        out.push_back(t);
    }
    TOplToken end;
    end.Col = static_cast<int32_t>(s.size());
    out.push_back(end);
}

} // namespace quenvel
