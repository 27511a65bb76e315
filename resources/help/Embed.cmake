# Writes OUT, a C++ source holding every *.html file of DIR as bytes, with HelpFileNames()
# and HelpFile() over them. Run with cmake -DDIR=... -DOUT=... -P Embed.cmake.
file(GLOB names RELATIVE "${DIR}" "${DIR}/*.html")
list(SORT names)
set(arrays "")
set(entries "")
set(i 0)
foreach(name IN LISTS names)
  file(READ "${DIR}/${name}" hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," hex "${hex}")
  string(APPEND arrays "const unsigned char kFile${i}[] = {${hex}};\n")
  string(APPEND entries "        {\"${name}\", std::string_view(reinterpret_cast<const char *>(kFile${i}), sizeof kFile${i})},\n")
  math(EXPR i "${i} + 1")
endforeach()
file(WRITE "${OUT}.new" "// Generated from resources/help by Embed.cmake; do not edit.
#include \"opl/HelpIndex.h\"

#include <map>

namespace quenvel {

namespace {

${arrays}
const std::map<std::string_view, std::string_view> &Files()
{
    static const std::map<std::string_view, std::string_view> files = {
${entries}    };
    return files;
}

} // namespace

const std::vector<std::string_view> &HelpFileNames()
{
    static const std::vector<std::string_view> names = [] {
        std::vector<std::string_view> v;
        for (const auto &f : Files())
            v.push_back(f.first);
        return v;
    }();
    return names;
}

std::optional<std::string_view> HelpFile(std::string_view name)
{
    auto it = Files().find(name);
    if (it == Files().end())
        return std::nullopt;
    return it->second;
}

} // namespace quenvel
")
file(COPY_FILE "${OUT}.new" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.new")
