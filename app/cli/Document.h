// Reading and writing document files as Open and Save do.
#pragma once

#include "editor/CodeMemo.h"

#include <functional>
#include <string>
#include <vector>

namespace quenvel {

// True when the bytes are a Series 5 OPL source file (OPL32).
bool IsOpl32File(const uint8_t *data, size_t size);

// The lines of a Series 5 OPL source file's text, joined by CR LF.
std::string ConvertOpl32(const uint8_t *data, size_t size);

// Opens a document the way the Open command does: an OPL32 file is converted and
// stays modified; any other file is loaded as plain text and is not modified.
// Throws "Cannot open file %s".
void LoadDocument(TCodeMemo &memo, const std::string &path);

// Writes the document as plain text, or as RTF; never leaves a half-written file in
// place of the old one. Throws "Cannot create file %s" or "Unable to write to %s".
void SaveDocument(TCodeMemo &memo, const std::string &path, bool asRtf);

// The editor settings the main window gives its control.
void ConfigureEditorLikeMainWindow(TCodeMemo &memo);

// True when the path's extension is ".rtf" in any case.
bool HasRtfExtension(const std::string &path);

} // namespace quenvel
