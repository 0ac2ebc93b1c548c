#pragma once

#include "platform/DrawingSurface.h"
#include "platform/Printer.h"

#include <QString>
#include <QStringList>

#include <cmath>
#include <memory>
#include <ostream>
#include <vector>

namespace testing_support {

// One thing a recording printer or surface was asked to put on paper.
struct PrintedItem {
    enum class What { Text, Image, End, NewPage, Line, Box } what;
    QString text;  // empty for a line feed
    QString font;
    double size = 0;
    bool bold = false;
    int x = 0;
    int y = 0;
    std::uint32_t color = 0;  // surfaces only
    bool operator==(const PrintedItem&) const = default;
};

inline void PrintTo(const PrintedItem& item, std::ostream* os)
{
    static const char* const kinds[] = {"Text", "Image", "End", "NewPage", "Line", "Box"};
    *os << kinds[int(item.what)] << " \"" << item.text.toStdString() << "\" " << item.font.toStdString() << ' '
        << item.size << (item.bold ? " bold" : "") << " at (" << item.x << ", " << item.y << ") #" << std::hex
        << item.color << std::dec;
}

// Line heights of the recording devices: 24 twips a point (1.2 lines).
inline int recordedLineHeight(double points) { return int(std::lround(points * 24)); }

// A printer that writes down every call instead of printing.
class RecordingPrinter final : public platform::Printer {
public:
    QStringList fontList{QStringLiteral("Arial"), QStringLiteral("Courier New"), QStringLiteral("Courier")};
    std::vector<PrintedItem> items;
    platform::PrintResult result{true, QString(), QString()};

    QStringList fonts() override { return fontList; }
    QString fontName() const override { return m_font; }
    void setFontName(const QString& name) override { m_font = name; }
    double fontSize() const override { return m_size; }
    void setFontSize(double points) override { m_size = points; }
    bool fontBold() const override { return m_bold; }
    void setFontBold(bool bold) override { m_bold = bold; }
    int currentX() const override { return m_x; }
    void setCurrentX(int twips) override { m_x = twips; }
    int currentY() const override { return m_y; }
    void setCurrentY(int twips) override { m_y = twips; }
    void printLine(const QString& text) override
    {
        items.push_back({PrintedItem::What::Text, text, m_font, m_size, m_bold, m_x, m_y});
        m_x = 0;
        m_y += recordedLineHeight(m_size);
    }
    void printImage(const platform::DrawingSurface&, int x, int y) override
    {
        items.push_back({PrintedItem::What::Image, QString(), m_font, m_size, m_bold, x, y});
    }
    // The far corner, or the line's other end, as its text: "x,y".
    void drawLine(int x1, int y1, int x2, int y2, int, int) override
    {
        items.push_back({PrintedItem::What::Line, QStringLiteral("%1,%2").arg(x2).arg(y2), m_font, m_size, m_bold, x1, y1});
    }
    void fillBox(int x, int y, int width, int height, int) override
    {
        items.push_back(
            {PrintedItem::What::Box, QStringLiteral("%1,%2").arg(x + width).arg(y + height), m_font, m_size, m_bold, x, y});
    }
    void newPage() override
    {
        items.push_back({PrintedItem::What::NewPage, QString(), m_font, m_size, m_bold, m_x, m_y});
        m_x = 0;
        m_y = 0;
    }
    platform::PrintResult endDocument() override
    {
        items.push_back({PrintedItem::What::End, QString(), m_font, m_size, m_bold, m_x, m_y});
        return result;
    }

    // Printed texts only, line feeds left out.
    QStringList texts() const
    {
        QStringList out;
        for (const auto& item : items)
            if (item.what == PrintedItem::What::Text && !item.text.isEmpty())
                out << item.text;
        return out;
    }

private:
    QString m_font = QStringLiteral("Arial");
    double m_size = 12;
    bool m_bold = false;
    int m_x = 0;
    int m_y = 0;
};

// Hands out recording printers and keeps them for inspection.
class RecordingPrinterFactory final : public platform::PrinterFactory {
public:
    std::vector<RecordingPrinter*> opened;
    QStringList documentNames;
    // Set before a job to give it a font list or a failing result.
    QStringList nextFontList{QStringLiteral("Arial"), QStringLiteral("Courier New"), QStringLiteral("Courier")};
    platform::PrintResult nextResult{true, QString(), QString()};

    std::unique_ptr<platform::Printer> open(const QString& documentName) override
    {
        auto printer = std::make_unique<RecordingPrinter>();
        printer->fontList = nextFontList;
        printer->result = nextResult;
        opened.push_back(printer.get());
        documentNames << documentName;
        return std::unique_ptr<platform::Printer>(new Handle(std::move(printer), m_alive));
    }

    RecordingPrinter* last() const { return opened.empty() ? nullptr : opened.back(); }

private:
    // The window owns its printer only for one job; the recording outlives it.
    class Handle final : public platform::Printer {
    public:
        Handle(std::unique_ptr<RecordingPrinter> p, std::vector<std::unique_ptr<RecordingPrinter>>& alive)
            : m_p(p.get())
        {
            alive.push_back(std::move(p));
        }
        QStringList fonts() override { return m_p->fonts(); }
        QString fontName() const override { return m_p->fontName(); }
        void setFontName(const QString& n) override { m_p->setFontName(n); }
        double fontSize() const override { return m_p->fontSize(); }
        void setFontSize(double s) override { m_p->setFontSize(s); }
        bool fontBold() const override { return m_p->fontBold(); }
        void setFontBold(bool b) override { m_p->setFontBold(b); }
        int currentX() const override { return m_p->currentX(); }
        void setCurrentX(int x) override { m_p->setCurrentX(x); }
        int currentY() const override { return m_p->currentY(); }
        void setCurrentY(int y) override { m_p->setCurrentY(y); }
        void printLine(const QString& t) override { m_p->printLine(t); }
        void printImage(const platform::DrawingSurface& s, int x, int y) override { m_p->printImage(s, x, y); }
        void drawLine(int x1, int y1, int x2, int y2, int w, int g) override { m_p->drawLine(x1, y1, x2, y2, w, g); }
        void fillBox(int x, int y, int w, int h, int g) override { m_p->fillBox(x, y, w, h, g); }
        void newPage() override { m_p->newPage(); }
        platform::PrintResult endDocument() override { return m_p->endDocument(); }

    private:
        RecordingPrinter* m_p;
    };

    std::vector<std::unique_ptr<RecordingPrinter>> m_alive;
};

// A drawing surface that writes down every line. Text is 10 twips wide per
// character per point, so centring can be checked by hand.
class RecordingSurface final : public platform::DrawingSurface {
public:
    RecordingSurface(int width, int height) : m_width(width), m_height(height) {}

    std::vector<PrintedItem> items;

    int width() const override { return m_width; }
    int height() const override { return m_height; }
    void setFontName(const QString& name) override { m_font = name; }
    void setFontSize(double points) override { m_size = points; }
    void setFontBold(bool bold) override { m_bold = bold; }
    void setColor(std::uint32_t rgb) override { m_color = rgb; }
    int textWidth(const QString& text) override { return int(std::lround(text.size() * m_size * 10)); }
    int currentX() const override { return m_x; }
    void setCurrentX(int twips) override { m_x = twips; }
    int currentY() const override { return m_y; }
    void printLine(const QString& text) override
    {
        PrintedItem item{PrintedItem::What::Text, text, m_font, m_size, m_bold, m_x, m_y};
        item.color = m_color;
        items.push_back(item);
        m_x = 0;
        m_y += recordedLineHeight(m_size);
        ++m_revision;
    }
    std::uint64_t revision() const override { return m_revision; }

private:
    int m_width;
    int m_height;
    QString m_font = QStringLiteral("MS Sans Serif");
    double m_size = 8.25;
    bool m_bold = false;
    std::uint32_t m_color = 0;
    int m_x = 0;
    int m_y = 0;
    std::uint64_t m_revision = 1;
};

class RecordingSurfaceFactory final : public platform::DrawingSurfaceFactory {
public:
    std::vector<RecordingSurface*> created;
    std::unique_ptr<platform::DrawingSurface> create(int width, int height, std::uint32_t) override
    {
        auto surface = std::make_unique<RecordingSurface>(width, height);
        created.push_back(surface.get());
        return surface;
    }
};

}  // namespace testing_support
