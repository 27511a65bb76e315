// The document being edited: its text (the editor control), its name, how it is written,
// and its OPL dialect; the File commands that guard it. No window system here: the
// window, the command-line modes, the tests and the benchmarks all work through it.
#pragma once

#include "app/document/Settings.h"
#include "opl/OplDialect.h"
#include "editor/CodeMemo.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quenvel {

// The editor settings the main window gives its control.
void ConfigureEditorLikeMainWindow(TCodeMemo &memo);

// What the document commands ask of the person at the screen. The window answers with
// its dialogs; tests answer from a script.
class TDocumentUi
{
public:
    enum TAnswer { aYes, aNo, aCancel };
    virtual ~TDocumentUi() = default;
    // The close query: "Save changes to "name"?" with Yes, No and Cancel.
    virtual TAnswer ConfirmSave(const std::string &question) = 0;
    // A question answered Yes or No (true: Yes).
    virtual bool Confirm(const std::string &question) = 0;
    // The open and save dialogs; nothing when cancelled.
    virtual std::optional<std::string> OpenFileName() = 0;
    virtual std::optional<std::string> SaveFileName() = 0;
    // Something the person must know, that is not an error.
    virtual void Warn(const std::string &message) = 0;
    // The busy cursor around long jobs.
    virtual void Busy(bool on) { (void)on; }

    // ---- the window's other questions ----
    // A plain message box.
    virtual void Tell(const std::string &message) { Warn(message); }
    // The general error box: an error no command handled; the program goes on.
    virtual void ShowError(const std::string &message) { Warn(message); }
    // An input box; nothing when cancelled.
    virtual std::optional<std::string> Ask(const std::string &caption, const std::string &prompt,
                                           const std::string &initial)
    {
        (void)caption, (void)prompt;
        return initial;
    }
    // The name of a PDF file to print into; nothing when cancelled.
    virtual std::optional<std::string> PdfFileName(const std::string &suggested)
    {
        (void)suggested;
        return std::nullopt;
    }
    // The font dialog, opened on `current`; nothing when cancelled.
    virtual std::optional<TFontDesc> ChooseFont(const TFontDesc &current)
    {
        (void)current;
        return std::nullopt;
    }
    // The colour dialog, opened on `current`; nothing when cancelled.
    virtual std::optional<TColor> ChooseColor(const std::string &caption, TColor current)
    {
        (void)caption, (void)current;
        return std::nullopt;
    }
};

// The busy cursor for as long as it lives, however the job ends.
class TBusy
{
public:
    explicit TBusy(TDocumentUi &ui) : ui_(ui) { ui_.Busy(true); }
    ~TBusy() { ui_.Busy(false); }
    TBusy(const TBusy &) = delete;
    TBusy &operator=(const TBusy &) = delete;

private:
    TDocumentUi &ui_;
};

class TDocument
{
public:
    TDocument();
    ~TDocument();
    TDocument(const TDocument &) = delete;
    TDocument &operator=(const TDocument &) = delete;

    TCodeMemo &Memo() { return *memo_; }
    const std::string &FileName() const { return fileName_; }
    bool SaveAsRTF() const { return saveAsRtf_; }
    // The dialect in force; none when none was chosen (nothing highlighted, as with None).
    std::optional<TDialect> Dialect() const { return dialect_; }
    // The file loaded last held a NUL byte: the text after it was not loaded.
    bool CutAtNul() const { return cutAtNul_ >= 0; }
    // The file loaded last held the byte 5, which the text cannot hold: it shows as 167.
    bool ReplacedByteFive() const { return fiveAt_ >= 0; }
    // The file loaded last was a Series 5 binary source file, converted to text.
    bool ConvertedFromSeries5() const { return !series5File_.empty(); }
    // What Open tells about a file whose text is not shown exactly as it stands; empty
    // when it is.
    std::string LoadWarning() const;

    // The largest file Open reads; a larger one is refused before it is read (the editor
    // needs about twelve times a file's size in memory).
    static constexpr int64_t kMaxFileBytes = int64_t(512) << 20;
    // The longest line Open takes. Highlighting stores 32 bytes of marks per word it colours,
    // in one block per line: this keeps even a line of nothing but keywords within a block's
    // 2 GB.
    static constexpr int64_t kMaxLineBytes = int64_t(64) << 20;

    // ---- operations (failures are exceptions with a message for the person) ----
    // The one place a name is given to the document.
    void SetFileName(const std::string &name);
    // Reads a document: a Series 5 source file is converted and stays modified, any other
    // file is loaded as plain text. On failure ("Cannot open file %s") nothing changes.
    void LoadFile(const std::string &path);
    // The same for a file's bytes already in memory, named `path`; `block`, when it holds
    // them, may be kept as the text's own.
    void LoadBytes(const uint8_t *bytes, size_t count, const std::string &path,
                   const std::shared_ptr<uint8_t[]> &block = {});
    void LoadBytes(const std::vector<uint8_t> &data, const std::string &path)
    {
        LoadBytes(data.data(), data.size(), path);
    }
    // Writes the document under its name, plain or RTF, never truncating a good file first.
    void WriteFile();
    // Writes the document to another file without renaming it (the command line's --convert).
    void WriteTo(const std::string &path, bool asRtf);
    // The three-line procedure template of a new document, the caret after "PROC ".
    void NewTemplate();
    // Empties the document and puts the template in place, untitled.
    void NewDocument();
    // Chooses the dialect and highlights the text again in place: the text, its
    // modified state and undo are kept. Without re-highlighting for the first set-up.
    void SetDialect(std::optional<TDialect> dialect, bool rehighlight = true);

    // The editor's part of the settings: the dialect, the font, the background, the tab
    // size and how undo works ([Setup] Undo, UndoLimit), put in force and read back.
    void ApplySettings(const TSettings &s);
    void GatherSettings(TSettings &s) const;

    // ---- find and replace (the Find and Replace dialogs) ----
    // Selects the next occurrence after the caret (down) or the previous one before it;
    // false, nothing moved, when there is none. Whole words: neither end of the occurrence
    // touches a letter, digit, '_', '$', '%', '&' or a character of the upper half.
    bool FindNext(const std::string &find, bool down, bool matchCase, bool wholeWord);
    // Replace: the selection, when it is an occurrence, is replaced (a line break in the
    // replacement breaks the line); then the next occurrence is selected as FindNext does.
    bool ReplaceNext(const std::string &find, const std::string &replacement, bool down, bool matchCase,
                     bool wholeWord);
    // Replaces every occurrence in the whole text (none runs over a line break); a line
    // break in the replacement (CR LF, CR or LF) breaks the line as Enter does. One undo
    // step in the Multi mode; the caret stays where it was, with the text before it.
    // Returns how many were replaced (0: nothing changed).
    int32_t ReplaceAll(const std::string &find, const std::string &replacement, bool matchCase, bool wholeWord);

    // A jump: a bare caret at the start of a display line (0-based, clipped), the line
    // brought a few lines below the top of the window unless it stands in its upper half.
    // Every jump (go to line, a procedure, FILE:LINE, a found error) goes through here.
    void GoToLine(int32_t line);

    // ---- commands, with the person's answers ----
    // True when the document may be closed or replaced (saved, or its changes given up).
    bool CloseQuery(TDocumentUi &ui);
    bool Save(TDocumentUi &ui);
    bool SaveAs(TDocumentUi &ui);
    bool New(TDocumentUi &ui);
    bool Open(TDocumentUi &ui);
    // Opens a file named elsewhere (a recent file), after asking about the changes; false
    // when the user kept the document.
    bool OpenPath(TDocumentUi &ui, const std::string &path);

    // The name Save As uses for a chosen name: ".OPL" appended when it has no extension.
    static std::string SaveAsName(const std::string &chosen);
    // The close query's question for a name.
    static std::string SaveQuestion(const std::string &fileName);
    // The last component of a path.
    static std::string BaseName(const std::string &path);

    // ---- events ----
    // The name changed (captions follow it).
    std::function<void()> OnNameChanged;
    // A file was opened or saved (its name as given): for the list of recent files.
    std::function<void(const std::string &)> OnFileUsed;
    // The state shown in the status bar may have changed (after load, save, New).
    std::function<void()> OnStatus;
    // A progress text for the status bar; empty: clear it.
    std::function<void(const std::string &)> OnProgressText;
    // The dialect or the character set changed (the view follows).
    std::function<void()> OnDialectChanged;

private:
    // Loads a file with the busy cursor, then tells what the load noticed.
    void LoadAndWarn(TDocumentUi &ui, const std::string &path);
    void BindFormattingProgress();
    // Loads plain text into the control; returns how many bytes it read (up to a NUL).
    int64_t LoadPlainText(const uint8_t *bytes, size_t count, const std::shared_ptr<uint8_t[]> &block);
    void WriteStream(const std::string &path, bool asRtf);

    std::unique_ptr<TCodeMemo> memo_;
    std::unique_ptr<TKeywordList> keywords_;
    std::string fileName_;
    bool saveAsRtf_ = false;
    std::optional<TDialect> dialect_;
    std::string ByteFiveNote() const;
    void ForgetLoadNotes();

    int64_t cutAtNul_ = -1;      // offset of the NUL that ended the last load
    int64_t fiveAt_ = -1;        // offset of the first byte 5 of the last load
    int64_t fiveCount_ = 0;      // how many there were
    std::string cutFile_;         // the file that was cut or changed
    std::string series5File_;     // the Series 5 binary source file loaded last, converted
    bool switchedToOpl5_ = false; // loading it chose OPL 5
};

} // namespace quenvel
