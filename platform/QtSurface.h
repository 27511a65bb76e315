// Measuring and drawing 8-bit text with Qt.
#pragma once

#include "editor/CodePage.h"
#include "editor/Surface.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QRawFont>

#include <map>
#include <memory>
#include <vector>

namespace quenvel {

QColor ToQColor(TColor c);

class TQtSurface : public TSurface
{
public:
    explicit TQtSurface(TCodePage cp = cpWindows1252) : cp_(cp) {}
    // A surface for a device of its own resolution (a printer page): font sizes in points
    // become that device's pixels.
    TQtSurface(TCodePage cp, int dpi) : cp_(cp), dpi_(dpi) {}
    // Bytes map to the characters of another code page; the fonts made for each code page
    // are kept, so switching back costs nothing.
    void SetCodePage(TCodePage cp);
    // Drawing goes to this painter; without one the surface only measures.
    void Begin(QPainter *painter)
    {
        painter_ = painter;
        onPainter_ = nullptr;
        if (painter_ && current_)
            FontToPainter();
    }
    void End() { painter_ = nullptr; }

    void SelectFont(const TFontDesc &font, uint8_t style) override;
    int TextWidth(const uint8_t *text, int n) override;
    // TextWidth adds up these, and a font's entry never changes once made
    const int *ByteWidths() override { return current_ ? current_->advance : nullptr; }
    TTextMetrics Metrics() override;
    int TextOut(int x, int baseline, const uint8_t *text, int n, TColor fore, TColor back) override;
    void TextOuts(const TTextAt *texts, int count, TColor fore) override;
    void FillRect(int x, int y, int w, int h, TColor color) override;
    void InvertRect(int x, int y, int w, int h) override;
    void SetClip(int x, int y, int w, int h) override;

    static QFont MakeFont(const TFontDesc &font, uint8_t style);

private:
    struct TFontEntry {
        QFont font;
        int advance[256];
        TTextMetrics metrics;
        QString glyph[256];
        QRawFont raw;
        quint32 glyphIndex[256];
        bool underline = false, strikeOut = false;
        int underlinePos = 0, strikeOutPos = 0, lineWidth = 1;
    };
    TFontEntry &Entry(const TFontDesc &font, uint8_t style);
    // The painter gets the selected font only when it has another.
    void FontToPainter();

    TCodePage cp_;
    int dpi_ = 0;
    QPainter *painter_ = nullptr;
    std::map<std::string, std::unique_ptr<TFontEntry>> fonts_;
    TFontEntry *current_ = nullptr;
    TFontEntry *onPainter_ = nullptr; // the font last handed to painter_
    // one run's glyphs and their positions, kept between runs
    std::vector<quint32> glyphs_;
    std::vector<QPointF> positions_;
    TFontEntry *byStyle_[16] = {};
    int currentSize_ = -1, currentPitch_ = 0;
    std::string currentName_;
};

} // namespace quenvel
