// Quenvel's editor view in the shared peer benchmark: the document and its view set up as
// the main window has them (its font, its tables, background layout), driven by the
// harness's sequence. Built only by the harness (it needs bench_driver.h), never by the
// project's own build.
#include "bench_driver.h"

#include "app/document/Document.h"
#include "bench/BenchLayout.h"
#include "editor/HighlightRuns.h"
#include "opl/OplKeywords.h"
#include "platform/CodeMemoView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QIODevice>

#include <memory>

using namespace quenvel;

namespace {

// A write-only stream that appends to a QByteArray.
struct TByteArrayStream : TStream {
    QByteArray bytes;
    int64_t Read(void *, int64_t) override { return 0; }
    void Write(const void *buffer, int64_t count) override
    {
        bytes.append(static_cast<const char *>(buffer), static_cast<qsizetype>(count));
    }
    int64_t Seek(int64_t, Origin) override { return bytes.size(); }
    int64_t Size() override { return bytes.size(); }
};

class QuenvelPeer : public PeerAdapter
{
public:
    explicit QuenvelPeer(const PeerContext &)
    {
        // Start on OPL 5, so that the keyword-set change is the user's switch to the Siena
        // (the set the harness hands over is the Siena's).
        doc_.SetDialect(TDialect::Opl5, false);
        view_ = std::make_unique<TCodeMemoView>(doc_.Memo());
        view_->UpdateScrollBarPolicy();
    }
    ~QuenvelPeer() override { view_.reset(); }

    QWidget *widget() override { return view_.get(); }

    void setText(const QString &text) override
    {
        QElapsedTimer t;
        t.start();
        // the harness's text back to bytes (as toLatin1 does), in a block the document may
        // keep as the text's own, as it keeps a file read from disk
        const auto n = static_cast<size_t>(text.size());
        const std::shared_ptr<uint8_t[]> bytes = MakeLargeBlock(n);
        const ushort *u = text.utf16();
        for (size_t i = 0; i < n; ++i)
            bytes[i] = u[i] < 256 ? static_cast<uint8_t>(u[i]) : '?';
        toLatin1Ms_ = static_cast<double>(t.nsecsElapsed()) / 1e6;
        t.restart();
        doc_.LoadBytes(bytes.get(), n, "opl.opl", bytes);
        loadBytesMs_ = static_cast<double>(t.nsecsElapsed()) / 1e6;
    }

    void forceFullHighlight() override
    {
        if (!bgBeforeFullSet_) {
            bgBeforeFullMs_ = view_->BackgroundMs();
            bgBeforeFullSet_ = true;
        }
        quenvel::bench::WaitForLayout(doc_.Memo());
    }

    void setKeywordsAndRestyleAll(const opl::KeywordSet *) override
    {
        doc_.SetDialect(doc_.Dialect() == TDialect::Siena ? TDialect::Opl5 : TDialect::Siena);
        quenvel::bench::WaitForLayout(doc_.Memo());
    }

    void placeCaret(int line, int col) override
    {
        TCodeMemo &m = doc_.Memo();
        m.SetSelLength(0);
        m.SetSelStart(m.ParagraphStart(std::min(line, m.ParagraphCount() - 1)));
        m.SetSelCol(col);
        m.SetTopLine(std::max(0, m.SelLine() - m.VisibleLines() / 2));
    }

    bool findFromTop(const QString &word) override
    {
        TCodeMemo &m = doc_.Memo();
        m.SetSelLength(0);
        m.SetSelStart(0);
        return m.FindText(word.toLatin1().toStdString(), true, false);
    }

    QByteArray textForSave() override
    {
        // the bytes Save writes; the real path streams them to the file in 1 MB blocks,
        // here they go to the array the driver writes out
        TByteArrayStream s;
        s.bytes.reserve(static_cast<qsizetype>(doc_.Memo().TextLength()) + 2);
        doc_.Memo().SaveToStream(s);
        return std::move(s.bytes);
    }

    int lineCount() override { return doc_.Memo().ParagraphCount(); }
    long long textLength() override { return doc_.Memo().TextLength(); }

    void dumpStyles(QIODevice &out) override
    {
        TCodeMemo &m = doc_.Memo();
        m.ParseAllKeywords();
        std::vector<std::string> lines(static_cast<size_t>(m.ParagraphCount()));
        for (int32_t p = 0; p < m.ParagraphCount(); ++p)
            lines[static_cast<size_t>(p)].assign(m.ParagraphText(p).size(), '0');
        for (const THighlightRun &r : HighlightRuns(m)) {
            const bool region = r.Style.StartLen != 0 || r.Style.StopLen != 0;
            const char digit = !region ? '1' : r.Style.Foregnd == clGreen ? '3' : '2';
            std::string &l = lines[static_cast<size_t>(r.Par)];
            for (int32_t k = r.Col; k < r.Col + r.Len && k < static_cast<int32_t>(l.size()); ++k)
                l[static_cast<size_t>(k)] = digit;
        }
        for (const std::string &l : lines) {
            out.write(l.data(), static_cast<qint64>(l.size()));
            out.write("\n", 1);
        }
    }

    QString info() override
    {
        return QStringLiteral("quenvel %1; the application's set-up: Courier New 10 pt, background layout, "
                              "OPL 5 switched to the Siena; bg_before_full_ms=%2; of load_ms: to_latin1_ms=%3, load_bytes_ms=%4")
            .arg(QStringLiteral(QUENVEL_VERSION))
            .arg(bgBeforeFullMs_, 0, 'f', 1)
            .arg(toLatin1Ms_, 0, 'f', 1)
            .arg(loadBytesMs_, 0, 'f', 1);
    }

private:
    double toLatin1Ms_ = 0, loadBytesMs_ = 0;

    TDocument doc_;
    std::unique_ptr<TCodeMemoView> view_;
    double bgBeforeFullMs_ = 0;
    bool bgBeforeFullSet_ = false;
};

} // namespace

int main(int argc, char **argv)
{
    return runPeer(argc, argv, "quenvel", [](const PeerContext &ctx) { return new QuenvelPeer(ctx); });
}
