#include "QtSurface.h"

#include "editor/CodeMemo.h"

#include <QGlyphRun>

#include <algorithm>
#include <iterator>

namespace quenvel {

QColor ToQColor(TColor c)
{
    const TColor rgb = ColorToRGB(c);
    return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

QFont TQtSurface::MakeFont(const TFontDesc &desc, uint8_t style)
{
    QFont f(QString::fromStdString(desc.Name));
    f.setPointSize(std::max(1, std::abs(desc.Size)));
    f.setBold(style & fsBold);
    f.setItalic(style & fsItalic);
    f.setUnderline(style & fsUnderline);
    f.setStrikeOut(style & fsStrikeOut);
    f.setKerning(false);
    f.setHintingPreference(QFont::PreferFullHinting);
    if (desc.Pitch == 1)
        f.setFixedPitch(true);
    return f;
}

TQtSurface::TFontEntry &TQtSurface::Entry(const TFontDesc &desc, uint8_t style)
{
    const std::string key = desc.Name + "/" + std::to_string(desc.Size) + "/" + std::to_string(style & 15) + "/" +
                            std::to_string(desc.Pitch) + "/" + std::to_string(cp_);
    auto it = fonts_.find(key);
    if (it != fonts_.end())
        return *it->second;
    auto e = std::make_unique<TFontEntry>();
    e->font = MakeFont(desc, style);
    if (dpi_ > 0)
        e->font.setPixelSize(std::max(1, (std::max(1, std::abs(desc.Size)) * dpi_ + 36) / 72));
    QFontMetrics fm(e->font);
    for (int b = 0; b < 256; ++b) {
        const QChar ch(static_cast<char16_t>(ByteToUnicode(cp_, static_cast<uint8_t>(b))));
        e->glyph[b] = QString(ch);
        // every glyph drawn at a whole pixel, so measuring and drawing agree exactly
        e->advance[b] = b < 32 ? 0 : fm.horizontalAdvance(ch);
    }
    // glyphs drawn straight from the font at our own advances: no shaping, and the
    // pixels land exactly where measuring says
    e->raw = QRawFont::fromFont(e->font);
    for (int b = 0; b < 256; ++b) {
        const QList<quint32> g = e->raw.isValid() ? e->raw.glyphIndexesForString(e->glyph[b]) : QList<quint32>();
        e->glyphIndex[b] = g.isEmpty() ? 0 : g[0];
    }
    e->underline = style & fsUnderline;
    e->strikeOut = style & fsStrikeOut;
    e->underlinePos = fm.underlinePos();
    e->strikeOutPos = fm.strikeOutPos();
    e->lineWidth = std::max(1, fm.lineWidth());
    e->metrics.Height = fm.height();
    e->metrics.Ascent = fm.ascent();
    e->metrics.Descent = fm.descent();
    e->metrics.InternalLeading = std::max(0, fm.ascent() + fm.descent() - fm.height());
    TFontEntry &ref = *e;
    fonts_.emplace(key, std::move(e));
    return ref;
}

void TQtSurface::SetCodePage(TCodePage cp)
{
    if (cp == cp_)
        return;
    cp_ = cp;
    // the fonts selected are the other code page's: chosen again on the next SelectFont
    std::fill(std::begin(byStyle_), std::end(byStyle_), nullptr);
    currentSize_ = -1;
    current_ = nullptr;
    onPainter_ = nullptr;
}

void TQtSurface::SelectFont(const TFontDesc &font, uint8_t style)
{
    style &= 15;
    // the fonts of one face are remembered by style, so switching styles costs no lookup
    const bool sameFace = font.Size == currentSize_ && font.Pitch == currentPitch_ && font.Name == currentName_;
    if (!sameFace) {
        std::fill(std::begin(byStyle_), std::end(byStyle_), nullptr);
        currentSize_ = font.Size;
        currentPitch_ = font.Pitch;
        currentName_ = font.Name;
    }
    if (!byStyle_[style])
        byStyle_[style] = &Entry(font, style);
    current_ = byStyle_[style];
    if (painter_)
        FontToPainter();
}

void TQtSurface::FontToPainter()
{
    // setFont resolves the font against the device's each time: worth skipping when the
    // font selected is the one the painter has, as at most lines' starts
    if (onPainter_ == current_)
        return;
    painter_->setFont(current_->font);
    onPainter_ = current_;
}

int TQtSurface::TextWidth(const uint8_t *text, int n)
{
    if (!current_)
        return 0;
    int w = 0;
    for (int i = 0; i < n; ++i)
        w += current_->advance[text[i]];
    return w;
}

TTextMetrics TQtSurface::Metrics()
{
    return current_ ? current_->metrics : TTextMetrics{};
}

int TQtSurface::TextOut(int x, int baseline, const uint8_t *text, int n, TColor fore, TColor back)
{
    if (!current_)
        return 0;
    const int w = TextWidth(text, n);
    if (!painter_)
        return w;
    if (back >= 0)
        painter_->fillRect(x, baseline - current_->metrics.Ascent, w, current_->metrics.Height, ToQColor(back));
    painter_->setPen(ToQColor(fore));
    if (current_->raw.isValid()) {
        glyphs_.clear();
        positions_.clear();
        int cx = x;
        for (int i = 0; i < n; ++i) {
            const uint8_t b = text[i];
            if (b != ' ') {
                glyphs_.push_back(current_->glyphIndex[b]);
                positions_.emplace_back(cx, baseline);
            }
            cx += current_->advance[b];
        }
        if (!glyphs_.empty()) {
            QGlyphRun run;
            run.setRawFont(current_->raw);
            run.setRawData(glyphs_.data(), positions_.data(), static_cast<int>(glyphs_.size()));
            painter_->drawGlyphRun(QPointF(0, 0), run);
        }
        if (current_->underline)
            painter_->fillRect(x, baseline + current_->underlinePos, w, current_->lineWidth, ToQColor(fore));
        if (current_->strikeOut)
            painter_->fillRect(x, baseline - current_->strikeOutPos, w, current_->lineWidth, ToQColor(fore));
        return w;
    }
    int cx = x;
    for (int i = 0; i < n; ++i) {
        const uint8_t b = text[i];
        if (b != ' ')
            painter_->drawText(cx, baseline, current_->glyph[b]);
        cx += current_->advance[b];
    }
    return w;
}

void TQtSurface::TextOuts(const TTextAt *texts, int count, TColor fore)
{
    if (!current_ || !painter_ || !current_->raw.isValid() || current_->underline || current_->strikeOut) {
        TSurface::TextOuts(texts, count, fore);
        return;
    }
    // one glyph run for them all
    glyphs_.clear();
    positions_.clear();
    for (const TTextAt *t = texts; t < texts + count; ++t)
        for (int i = 0, cx = t->x; i < t->n; cx += current_->advance[t->text[i]], ++i)
            if (t->text[i] != ' ') {
                glyphs_.push_back(current_->glyphIndex[t->text[i]]);
                positions_.emplace_back(cx, t->baseline);
            }
    if (glyphs_.empty())
        return;
    painter_->setPen(ToQColor(fore));
    QGlyphRun run;
    run.setRawFont(current_->raw);
    run.setRawData(glyphs_.data(), positions_.data(), static_cast<int>(glyphs_.size()));
    painter_->drawGlyphRun(QPointF(0, 0), run);
}

void TQtSurface::FillRect(int x, int y, int w, int h, TColor color)
{
    if (painter_)
        painter_->fillRect(x, y, w, h, ToQColor(color));
}

void TQtSurface::InvertRect(int x, int y, int w, int h)
{
    if (!painter_)
        return;
    const auto mode = painter_->compositionMode();
    painter_->setCompositionMode(QPainter::RasterOp_NotDestination);
    painter_->fillRect(x, y, w, h, Qt::black);
    painter_->setCompositionMode(mode);
}

void TQtSurface::SetClip(int x, int y, int w, int h)
{
    if (!painter_)
        return;
    if (w < 0)
        painter_->setClipping(false);
    else
        painter_->setClipRect(x, y, w, h);
}

} // namespace quenvel
