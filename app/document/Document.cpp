#include "Document.h"

#include "opl/OplKeywords.h"
#include "opl/OplSetup.h"
#include "opl/ProcScanner.h"
#include "opl/Series5Source.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

namespace quenvel {

namespace {

// The editor settings the main window gives its control.
void ConfigureEditor(TCodeMemo &memo)
{
    memo.DisplayOnly = false;
    memo.SetLineHeight(0);
    memo.SetWordWrap(false);
    memo.EnableHotKeys = false;
    memo.SetAltFont(TFontDesc{"MS Sans Serif", 8, 0, clBlack, 0});
    memo.SetAlignment(taLeftJustify);
    memo.SetJustified(false);
    memo.ScrollBars = ssBoth;
    memo.CaretWidth = 2;
    // the selection shows while another window has the focus (the text Find found)
    memo.SetHideSelection(false);
    memo.PassOverCodes = false;
    memo.SetUpdateMode(umBackground);
    memo.SetColor(clWhite);
    const TSettings defaults;
    memo.SetFont(TFontDesc{defaults.FontName, defaults.FontSize, defaults.FontStyle, defaults.FontColor, 0});
}

// The bytes in a block the control may keep as the text's own.
std::pair<std::shared_ptr<uint8_t[]>, size_t> ReadWholeFile(const std::string &path)
{
    TFileStream f(path, TFileStream::fmOpenRead);
    const int64_t size = f.Size();
    if (size < 0)
        throw EStreamError("Cannot open file " + path);
    if (size > TDocument::kMaxFileBytes)
        throw EStreamError("Cannot open file " + path + " (it is " + std::to_string(size >> 20) +
                           " MB; files up to " + std::to_string(TDocument::kMaxFileBytes >> 20) +
                           " MB can be edited)");
    auto data = MakeLargeBlock(static_cast<size_t>(size));
    int64_t got = 0;
    while (got < size) {
        const int64_t n = f.Read(data.get() + got, size - got);
        if (n <= 0)
            break;
        got += n;
    }
    return {std::move(data), static_cast<size_t>(got)};
}

std::string Percent(const char *what, int64_t part, int64_t whole)
{
    return std::string(what) + std::to_string(part * 100 / whole) + "%";
}

} // namespace

void ConfigureEditorLikeMainWindow(TCodeMemo &memo)
{
    ConfigureEditor(memo);
}

TDocument::TDocument() : memo_(std::make_unique<TCodeMemo>())
{
    ConfigureEditor(*memo_);
    memo_->OnParse = [](TCodeMemo *, int32_t, int32_t) {};
    RegisterOplSpans(*memo_);
    // the application's undo (the control's own default is the one-level toggle)
    memo_->SetUndoMode(TUndoMode::Multi);
    BindFormattingProgress();
}

TDocument::~TDocument()
{
    // the control refers to the table: let it go first
    memo_->SetKeywords(nullptr);
    memo_.reset();
}

void TDocument::BindFormattingProgress()
{
    memo_->OnProgress = [this](TCodeMemo *m) {
        if (!OnProgressText)
            return;
        const int p = m->Progress();
        OnProgressText(p == 100 || p == 0 ? std::string() : "Formatting " + std::to_string(p) + "%");
    };
}

void TDocument::SetFileName(const std::string &name)
{
    fileName_ = name;
    if (OnNameChanged)
        OnNameChanged();
}

std::string TDocument::BaseName(const std::string &path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string TDocument::SaveQuestion(const std::string &fileName)
{
    return "Save changes to \"" + BaseName(fileName) + "\"?";
}

std::string TDocument::SaveAsName(const std::string &chosen)
{
    const std::string base = BaseName(chosen);
    if (base.find('.') == std::string::npos)
        return chosen + ".OPL";
    return chosen;
}

void TDocument::LoadFile(const std::string &path)
{
    // Everything is read before anything changes: a file that cannot be read leaves the
    // document as it was.
    const auto [data, size] = ReadWholeFile(path);
    LoadBytes(data.get(), size, path, data);
}

namespace {

// The length of the longest line of a text (up to its first NUL), lines ending at CR or LF.
int64_t LongestLine(const uint8_t *p, size_t n)
{
    if (n == 0)
        return 0;
    if (const void *nul = std::memchr(p, 0, n))
        n = static_cast<size_t>(static_cast<const uint8_t *>(nul) - p);
    int64_t longest = 0;
    size_t start = 0;
    while (start <= n) {
        const void *lf = std::memchr(p + start, '\n', n - start);
        const size_t end = lf ? static_cast<size_t>(static_cast<const uint8_t *>(lf) - p) : n;
        // a stretch between line feeds may still be cut by lone carriage returns
        if (static_cast<int64_t>(end - start) > longest) {
            for (size_t a = start; a <= end;) {
                const void *cr = std::memchr(p + a, '\r', end - a);
                const size_t b = cr ? static_cast<size_t>(static_cast<const uint8_t *>(cr) - p) : end;
                longest = std::max(longest, static_cast<int64_t>(b - a));
                a = b + 1;
            }
        }
        start = end + 1;
    }
    return longest;
}

void CheckLines(const uint8_t *p, size_t n, const std::string &path)
{
    if (static_cast<int64_t>(n) <= TDocument::kMaxLineBytes)
        return; // no line of it can be longer
    const int64_t longest = LongestLine(p, n);
    if (longest > TDocument::kMaxLineBytes)
        throw EStreamError("Cannot open file " + path + " (a line of it is " + std::to_string(longest >> 20) +
                           " MB long; lines up to " + std::to_string(TDocument::kMaxLineBytes >> 20) +
                           " MB can be edited)");
}

} // namespace

void TDocument::LoadBytes(const uint8_t *bytes, size_t count, const std::string &path,
                          const std::shared_ptr<uint8_t[]> &block)
{
    // Every check that can refuse the file comes before anything changes: a refused file
    // leaves the text, its name, its modified state and the notes about it as they were.
    if (IsUnicodeOplFile(bytes, count))
        throw EStreamError("Cannot open file " + path +
                           " (it is a Unicode OPL source file, whose UTF-16 text Quenvel cannot read)");
    TCodeMemo &m = *memo_;
    if (IsOpl32File(bytes, count)) {
        std::string text = ConvertOpl32(bytes, count);
        // The converted text holds no NUL (the loader would stop there): show it as a space.
        std::replace(text.begin(), text.end(), '\0', ' ');
        CheckLines(reinterpret_cast<const uint8_t *>(text.data()), text.size(), path);
        if (OnProgressText)
            OnProgressText("OPL32 Convert 100%");
        TProtMemStream s;
        s.Attach(text.data(), static_cast<int64_t>(text.size()));
        m.LoadFromStream(s);
        ForgetLoadNotes();
        series5File_ = path;
        // the Series 5's own dialect, unless the user chose OPL 5 or no highlighting
        if (dialect_ == TDialect::Siena || dialect_ == TDialect::Opl3) {
            SetDialect(TDialect::Opl5);
            switchedToOpl5_ = true;
        }
        m.SetModified(true);
    } else {
        CheckLines(bytes, count, path);
        const int64_t loaded = LoadPlainText(bytes, count, block);
        ForgetLoadNotes();
        const int64_t size = static_cast<int64_t>(count);
        // a NUL that ends the file loses nothing
        if (loaded < size && !(loaded == size - 1 && bytes[loaded] == 0))
            cutAtNul_ = loaded;
        // the byte 5 cannot stay in the text: the loader shows it as 167
        for (const uint8_t *p = bytes, *end = bytes + loaded;
             loaded > 0 &&
             (p = static_cast<const uint8_t *>(std::memchr(p, 5, static_cast<size_t>(end - p)))) != nullptr;
             ++p) {
            if (fiveAt_ < 0)
                fiveAt_ = p - bytes;
            ++fiveCount_;
        }
        if (cutAtNul_ >= 0 || fiveAt_ >= 0)
            cutFile_ = path;
        m.SetModified(false);
    }
    saveAsRtf_ = false;
    SetFileName(path);
    if (OnStatus)
        OnStatus();
    if (OnFileUsed)
        OnFileUsed(path);
}

int64_t TDocument::LoadPlainText(const uint8_t *bytes, size_t count, const std::shared_ptr<uint8_t[]> &block)
{
    TCodeMemo &m = *memo_;
    TProtMemStream s;
    s.Attach(bytes, static_cast<int64_t>(count));
    const int64_t size = static_cast<int64_t>(count);
    m.OnProgress = [this, &s, size](TCodeMemo *) {
        if (OnProgressText && size > 0)
            OnProgressText(Percent("Loading ", s.Position(), size));
    };
    try {
        m.LoadFromStream(s, block);
    } catch (...) {
        BindFormattingProgress();
        throw;
    }
    BindFormattingProgress();
    if (OnProgressText)
        OnProgressText(std::string());
    return std::min(s.Position(), size);
}

void TDocument::WriteStream(const std::string &path, bool asRtf)
{
    TCodeMemo &m = *memo_;
    TSafeFileStream f(path);
    const int64_t total = m.TextLength();
    m.OnProgress = [this, &f, total](TCodeMemo *) {
        if (OnProgressText && total > 0) {
            const int64_t pct = f.Position() * 100 / total;
            OnProgressText(pct == 100 ? std::string() : Percent("Saving ", f.Position(), total));
        }
    };
    try {
        if (asRtf)
            m.SaveToRTFStream(f);
        else
            m.SaveToStream(f);
        f.Commit();
    } catch (...) {
        BindFormattingProgress();
        if (OnProgressText)
            OnProgressText(std::string());
        throw;
    }
    BindFormattingProgress();
    if (OnProgressText)
        OnProgressText(std::string());
}

void TDocument::WriteFile()
{
    WriteStream(fileName_, saveAsRtf_);
    if (fileName_ == cutFile_ || fileName_ == series5File_)
        ForgetLoadNotes();
    memo_->SetModified(false);
    if (OnStatus)
        OnStatus();
    if (OnFileUsed)
        OnFileUsed(fileName_);
}

void TDocument::WriteTo(const std::string &path, bool asRtf)
{
    WriteStream(path, asRtf);
}

void TDocument::NewTemplate()
{
    quenvel::NewTemplate(*memo_);
    // the template is where the history begins
    if (memo_->UndoMode() == TUndoMode::Multi) {
        memo_->ResetUndo();
        memo_->SetModified(false);
    }
}

void TDocument::NewDocument()
{
    memo_->Clear();
    NewTemplate();
    saveAsRtf_ = false;
    ForgetLoadNotes();
    SetFileName(std::string());
    if (OnStatus)
        OnStatus();
}

void TDocument::SetDialect(std::optional<TDialect> dialect, bool rehighlight)
{
    TCodeMemo &m = *memo_;
    // the previous table lives until the new one has taken over its runs
    std::unique_ptr<TKeywordList> previous = std::move(keywords_);
    const bool wasHighlighting = previous && m.KeywordsActive && m.StartStopActive;
    ApplyOplDialect(m, dialect.value_or(TDialect::None), keywords_);
    if (rehighlight && wasHighlighting && keywords_ && m.RecolourKeywords(*previous)) {
        // the dialects find the same words: only their colours change; the selection
        // goes, as it does when everything is highlighted again
        rehighlight = false;
        m.SetSelLength(0);
    }
    dialect_ = dialect;
    m.SetCodePage(DialectRow(dialect.value_or(TDialect::None)).CodePage);
    if (rehighlight)
        m.ReApplyKeywords();
    if (OnDialectChanged)
        OnDialectChanged();
}

void TDocument::ApplySettings(const TSettings &s)
{
    SetDialect(DialectFromName(s.Syntax), false);
    TCodeMemo &m = *memo_;
    TFontDesc font = m.Font();
    font.Name = s.FontName;
    font.Size = s.FontSize;
    font.Style = s.FontStyle;
    font.Color = s.FontColor;
    m.SetFont(font);
    m.SetColor(s.Background);
    m.SetTabStops(s.Tabs);
    m.SetUndoMode(s.Undo == "Toggle" ? TUndoMode::Toggle : TUndoMode::Multi);
    m.SetUndoLimit(static_cast<size_t>(std::max(s.UndoLimit, 1)));
    m.SetLineNumbers(s.LineNumbers);
}

void TDocument::GatherSettings(TSettings &s) const
{
    s.Syntax = dialect_ ? DialectName(*dialect_) : "";
    const TCodeMemo &m = *memo_;
    s.FontName = m.Font().Name;
    s.FontSize = m.Font().Size;
    s.FontStyle = m.Font().Style;
    s.FontColor = m.Font().Color;
    s.Background = m.Color();
    s.Tabs = m.TabStops();
    s.Undo = m.UndoMode() == TUndoMode::Toggle ? "Toggle" : "Multi";
    s.UndoLimit = static_cast<int32_t>(std::min<size_t>(m.UndoLimit(), INT32_MAX));
    s.LineNumbers = m.LineNumbers();
}

bool TDocument::FindNext(const std::string &find, bool down, bool matchCase, bool wholeWord)
{
    return memo_->FindText(find, down, matchCase, wholeWord);
}

namespace {

// Every kind of line break in a replacement breaks the line.
std::string WithLineBreaks(const std::string &replacement)
{
    std::string with;
    with.reserve(replacement.size());
    for (size_t i = 0; i < replacement.size(); ++i) {
        const char c = replacement[i];
        if (c == '\r' || c == '\n') {
            with += "\r\n";
            if (c == '\r' && i + 1 < replacement.size() && replacement[i + 1] == '\n')
                ++i;
        } else {
            with.push_back(c);
        }
    }
    return with;
}

} // namespace

bool TDocument::ReplaceNext(const std::string &find, const std::string &replacement, bool down, bool matchCase,
                            bool wholeWord)
{
    TCodeMemo &m = *memo_;
    const int32_t start = m.SelStart(), length = m.SelLength();
    // the selection is a match when searching from its start finds it again
    if (length == static_cast<int32_t>(find.size()) && length > 0) {
        m.SetSelLength(0);
        m.SetSelStart(start);
        if (m.FindText(find, true, matchCase, wholeWord) && m.SelStart() == start) {
            m.SetSelTextBuf(WithLineBreaks(replacement).c_str());
            if (OnStatus)
                OnStatus();
        } else {
            m.SetSelStart(start);
            m.SetSelLength(length);
        }
    }
    return m.FindText(find, down, matchCase, wholeWord);
}

int32_t TDocument::ReplaceAll(const std::string &find, const std::string &replacement, bool matchCase,
                              bool wholeWord)
{
    const int32_t n = memo_->ReplaceAll(find, WithLineBreaks(replacement), matchCase, wholeWord);
    if (n > 0 && OnStatus)
        OnStatus();
    return n;
}

void TDocument::GoToLine(int32_t line)
{
    // lines shown above a jump's target, so that what leads up to it is in view
    constexpr int32_t kLinesAbove = 3;
    TCodeMemo &m = *memo_;
    line = std::clamp(line, 0, std::max(m.LineCount() - 1, 0));
    m.SetSelLength(0);
    m.SetSelLine(line);
    // the target and what follows it in view: a line out of sight or in the lower half of
    // the window comes to a few lines below the top
    const int32_t top = m.TopLine();
    const int32_t visible = std::max(m.VisibleLines(), 1);
    if (line < top || line > top + visible / 2)
        m.SetTopLine(std::max(line - std::min(kLinesAbove, visible / 2), 0));
    m.SetHOffset(0);
    m.ScrollInView();
}

bool TDocument::CloseQuery(TDocumentUi &ui)
{
    if (!memo_->Modified())
        return true;
    switch (ui.ConfirmSave(SaveQuestion(fileName_))) {
    case TDocumentUi::aYes:
        // a save that was cancelled or failed keeps the document: nothing is given up
        return Save(ui);
    case TDocumentUi::aNo:
        return true;
    default:
        return false;
    }
}

bool TDocument::Save(TDocumentUi &ui)
{
    if (fileName_.empty())
        return SaveAs(ui);
    if (!series5File_.empty() && fileName_ == series5File_ &&
        !ui.Confirm("\u201c" + BaseName(fileName_) + "\u201d is a Series 5 binary source file. Save it as plain text?"))
        return false;
    if ((cutAtNul_ >= 0 || fiveAt_ >= 0) && fileName_ == cutFile_) {
        std::string question;
        if (cutAtNul_ >= 0)
            question = "\"" + BaseName(fileName_) + "\" holds a NUL byte at offset " + std::to_string(cutAtNul_) +
                       ": only the text before it was loaded. Saving replaces the whole file with the text "
                       "shown, and the rest of the file is lost. ";
        question += ByteFiveNote();
        if (!ui.Confirm(question + "Save anyway?"))
            return false;
    }
    TBusy busy(ui);
    WriteFile();
    return true;
}

bool TDocument::SaveAs(TDocumentUi &ui)
{
    const std::optional<std::string> chosen = ui.SaveFileName();
    if (!chosen || chosen->empty())
        return false;
    SetFileName(*chosen);
    const std::string name = SaveAsName(*chosen);
    if (name != *chosen)
        SetFileName(name);
    const std::string base = BaseName(*chosen);
    const auto dot = base.find_last_of('.');
    std::string ext = dot == std::string::npos ? std::string() : base.substr(dot);
    for (char &c : ext)
        c = static_cast<char>(UpperAscii(static_cast<uint8_t>(c)));
    saveAsRtf_ = ext == ".RTF";
    return Save(ui);
}

bool TDocument::New(TDocumentUi &ui)
{
    if (!CloseQuery(ui))
        return false;
    NewDocument();
    return true;
}

bool TDocument::Open(TDocumentUi &ui)
{
    if (!CloseQuery(ui))
        return false;
    const std::optional<std::string> path = ui.OpenFileName();
    if (!path || path->empty())
        return false;
    LoadAndWarn(ui, *path);
    return true;
}

bool TDocument::OpenPath(TDocumentUi &ui, const std::string &path)
{
    if (!CloseQuery(ui))
        return false;
    LoadAndWarn(ui, path);
    return true;
}

void TDocument::LoadAndWarn(TDocumentUi &ui, const std::string &path)
{
    {
        TBusy busy(ui);
        LoadFile(path);
    }
    const std::string warning = LoadWarning();
    if (!warning.empty())
        ui.Warn(warning);
}

void TDocument::ForgetLoadNotes()
{
    series5File_.clear();
    switchedToOpl5_ = false;
    cutAtNul_ = -1;
    fiveAt_ = -1;
    fiveCount_ = 0;
    cutFile_.clear();
}

std::string TDocument::ByteFiveNote() const
{
    if (fiveAt_ < 0)
        return std::string();
    return "\"" + BaseName(cutFile_) + "\" holds the byte 5 at offset " + std::to_string(fiveAt_) +
           (fiveCount_ > 1 ? " (" + std::to_string(fiveCount_) + " in all)" : std::string()) +
           ", which the editor cannot keep: it is shown as the byte 167, and saving writes 167 in its place. ";
}

std::string TDocument::LoadWarning() const
{
    std::string w;
    if (!series5File_.empty()) {
        w = "\"" + BaseName(series5File_) +
            "\" was converted from the Series 5 binary format to text; saving writes it as plain text.";
        if (switchedToOpl5_)
            w += " Highlighting is now OPL 5, the Series 5's dialect.";
        return w;
    }
    if (cutAtNul_ >= 0)
        w = "\"" + BaseName(cutFile_) + "\" holds a NUL byte at offset " + std::to_string(cutAtNul_) +
            ": only the text before it is shown. Saving it under the same name would lose the rest "
            "of the file.";
    const std::string five = ByteFiveNote();
    if (!five.empty())
        w += (w.empty() ? "" : " ") + five.substr(0, five.size() - 1);
    return w;
}

} // namespace quenvel
