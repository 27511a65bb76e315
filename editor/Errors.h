// The errors the control reports.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace quenvel {

// Every failure the control reports carries a message; callers show it.
class EQuenvelError : public std::runtime_error
{
public:
    explicit EQuenvelError(const std::string &msg) : std::runtime_error(msg) {}
};

class EListError : public EQuenvelError
{
public:
    EListError() : EQuenvelError("List index out of bounds") {}
};

class EOutOfMemory : public EQuenvelError
{
public:
    EOutOfMemory() : EQuenvelError("Out of memory") {}
};

} // namespace quenvel
