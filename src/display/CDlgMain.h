#pragma once

#include "config/LogFont.h"
#include "display/CCaptionColumn.h"
#include "display/CCaptionRenderer.h"

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

class CConfig;
class CCustomPalette;
class CDisplayMenus;
class CFontMetricsMeasurer;
class CQrCodeView;
class CQrCorner;
class CWindowEffects;
class QAction;
class QMenu;
class QMenuBar;
class QTimer;
class ReceivedMain;

// The caption display: the window the audience reads, and the one that carries the program's
// menu bar. It shows the store's records as a column of wrapped lines in a large, optionally
// outlined font, and brings new lines in by scrolling the column up a few pixels at a time. Which
// lines stand where is the column's (CCaptionColumn) decision; this window owns the scroll timer
// and the off-screen image of the lines on screen plus the one coming in, and draws what the
// column asks for. Menu commands that are not the display's own go to the main window through
// commandRequested.
class CDlgMain final : public QWidget
{
    Q_OBJECT

public:
    // The font dialog: true on OK with font and colour changed.
    using FontChooser = std::function<bool(QWidget *owner, QFont &font, QColor &color)>;
    // The colour dialog with the program's custom colours: true on OK with color changed.
    using ColorChooser = std::function<bool(QWidget *owner, QColor &color)>;

    // Timer 103.
    static constexpr int kScrollTimerId = 103;

    // The store must outlive the window. The settings are read at once (placement and the rest
    // come with CopyConfigToWindow).
    CDlgMain(CConfig &config, ReceivedMain &store, QWidget *parent = nullptr);
    ~CDlgMain() override;

    // The colour dialogs' 16 custom colours, shared with every other colour dialog of the program;
    // windows made afterwards take it. Must outlive them.
    static void setApplicationPalette(CCustomPalette *palette);
    void setCustomPalette(CCustomPalette *palette) { m_palette = palette; }

    // Settings in and out: placement ("main.position/size", "main.size.config_i" on the way out),
    // margins, scrolling, line height, font, colours, outline, translucency, topmost, and the
    // cover's check mark ("hide.display_i", in only).
    void CopyConfigToWindow();
    void CopyWindowToConfig();

    // New lines were added at the end of the store: they appear at once while they fit, else the
    // column starts scrolling (and goes on at its own pace if it already is).
    void Refresh();
    // Lines were inserted or withdrawn: the column is collected and drawn again.
    void Redraw();
    // The next paint shows the newest lines at once (after a screen clear or a gross text).
    void RequestGoLast();

    // One step of the scroll timer (103).
    void ScrollStep();
    // The display settings were written: take them (scroll timer, line height, outline,
    // translucency, topmost) and redraw.
    void ApplyDisplaySettings();

    // The web page's QR code in a corner ("main.qrcode.*"): the address to encode, or an empty
    // one with the note shown in its place (the server does not listen).
    void setQrCode(const QString &url, const QString &note);
    bool isQrCodeShown() const;
    // The code's square, in canvas coordinates; empty while hidden.
    QRect qrCodeArea() const;
    CQrCodeView *qrCodeView() const;

    // Where the lines stand and how far the column has scrolled.
    const CCaptionColumn &column() const { return *m_column; }
    QStringList collectedLines() const { return m_column->collectedLines(); }
    int shownLines() const { return m_column->shownLines(); }
    bool isScrolling() const { return m_column->isScrolling(); }
    // The scroll timer (103) runs only while the column is scrolling.
    bool isScrollTimerActive() const;
    int scrollPeriod() const { return m_nScrollPeriod; }
    // The rectangle of the canvas the column is shown in (the client area less the insets).
    QRect textArea() const;
    // The off-screen image: the column from the top line, one pitch taller than the client area.
    const QImage &renderedImage() const { return m_renderer.image(); }
    const CCaptionRenderer &renderer() const { return m_renderer; }
    // The client area: the part of the window below the menu bar.
    QWidget *canvas() const { return m_canvas; }
    CWindowEffects *effects() const { return m_effects; }

    QMenuBar *menuBar() const;
    // The context menu (the same items sit in the system menu on other desktops).
    QMenu *contextMenu() const;
    // The menu-bar action of a command, or nullptr.
    QAction *action(int command) const;
    void SetChecked(int command, bool checked);
    bool isChecked(int command) const;

    // Replace the font and colour dialogs (tests answer them themselves). The colour dialog
    // serves the background and the outline colour alike.
    void setFontChooser(FontChooser chooser) { m_chooseFont = std::move(chooser); }
    void setColorChooser(ColorChooser chooser) { m_chooseColor = std::move(chooser); }

    // Set when the display met an inconsistency worth sending the operation log to the developer.
    static bool abnormalResponse();
    static void clearAbnormalResponse();

signals:
    // A command for the main window (menu, context menu, the exit after confirmation).
    void commandRequested(int command);
    // The window was minimised (true) or came back (false).
    void minimizedChanged(bool minimized);

public slots:
    // A command of the menu bar or the context menu.
    void OnCommand(int command);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    bool confirmExit();

    void OnFont();
    // The colour dialog for the background or the outline colour; what it gives is made opaque.
    bool chooseColor(QColor &target);
    void OnToggleQrCode();
    void OnSize();
    void OnPaint(const QRegion &exposed);

    void setDisplayFont(const QFont &font);
    void applyColors();
    void readOutline();
    // A new period takes effect at once; the timer runs only while the column scrolls.
    void restartScrollTimer();
    void syncScrollTimer();
    void InvalidateLayout();
    // The image as the column sees it: missing, drawn for another width or background, current.
    CCaptionColumn::ImageState imageState() const;
    // Draws what the column asked for: into the image, then on screen.
    void apply(const CCaptionColumn::Repaint &repaint);
    void Render();
    // Moves what is on screen up by pixels inside area; the strip that comes in is painted from
    // the image.
    void ScrollWindow(const QRect &area, int pixels);
    QColor backgroundFill() const;

    CConfig &m_config;
    ReceivedMain &m_store;
    CCustomPalette *m_palette = nullptr;
    CDisplayMenus *m_menus = nullptr;
    QWidget *m_canvas = nullptr;
    CWindowEffects *m_effects = nullptr;
    QTimer *m_scrollTimer = nullptr; // 103
    FontChooser m_chooseFont;
    ColorChooser m_chooseColor;
    bool m_bWasMinimized = false;
    std::unique_ptr<CQrCorner> m_qrCorner;

    // Made with the display font's measurer, replaced with it.
    std::unique_ptr<CFontMetricsMeasurer> m_measurer;
    std::unique_ptr<CCaptionColumn> m_column;
    int m_nScrollPeriod = 30;
    int m_nLineHeight = 100;
    int m_nRenderedAlpha = 255;

    // Font and colours.
    LogFont m_logFont;
    QFont m_font;
    QColor m_textColor = Qt::black;
    QColor m_backgroundColor = Qt::white;
    QColor m_outlineColor = QColor(0x00, 0xff, 0x33);
    bool m_bOutline = false;
    int m_nOutlineWidth = 2;
    CCaptionRenderer m_renderer;
};
