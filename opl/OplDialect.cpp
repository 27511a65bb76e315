#include "OplDialect.h"

namespace quenvel {

namespace {

const std::array<TDialectRow, 4> kDialects = {{
    {TDialect::None, "None", "none", cpWindows1252},
    {TDialect::Siena, "OPL Siena", "siena", cpIbm850},
    {TDialect::Opl3, "OPL 3", "opl3", cpIbm850},
    {TDialect::Opl5, "OPL 5", "opl5", cpWindows1252},
}};

} // namespace

const std::array<TDialectRow, 4> &DialectRows()
{
    return kDialects;
}

const TDialectRow &DialectRow(TDialect dialect)
{
    return kDialects[static_cast<size_t>(dialect)];
}

std::optional<TDialect> DialectFromName(const std::string &name)
{
    for (const TDialectRow &row : kDialects)
        if (name == row.Name)
            return row.Dialect;
    return std::nullopt;
}

std::optional<TDialect> DialectFromCliName(const std::string &name)
{
    for (const TDialectRow &row : kDialects)
        if (name == row.CliName)
            return row.Dialect;
    return std::nullopt;
}

} // namespace quenvel
