#pragma once

#include <QColor>
#include <QMargins>
#include <QObject>
#include <QPointer>
#include <QRect>

class CConfig;
class QImage;
class QWidget;
class ReceivedMain;

// How the display window sits on the screen: without its frame and menu, above every other
// window, and with a see-through background behind opaque glyphs.
//
// Translucency is the window's own: the window keeps Qt::WA_TranslucentBackground from before
// its native window exists, and its renderer keys the background colour of each rendered image
// to the backdrop's alpha (KeyBackground). Pixels of exactly the background colour become
// see-through, so text drawn in that colour vanishes as it would through a colour key; every other
// pixel stays opaque. Without a compositor the background stays opaque.
class CWindowEffects final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CWindowEffects)

public:
    // Build it in the window's constructor, before the window is first shown: a see-through
    // surface has to be asked for before the native window is made. The window, its menu bar,
    // the store and the settings must outlive this object.
    CWindowEffects(QWidget &window, QWidget *menuBar, ReceivedMain &store, CConfig &config,
                   QObject *parent = nullptr);
    ~CWindowEffects() override;

    // ---- frameless ------------------------------------------------------------------------
    // Entering keeps the window's outer rectangle, so the client area and the text stay where
    // they were on screen; the area the frame and the menu bar took becomes the insets, which
    // the store wraps with. Leaving restores the placement saved on entry (normal, maximised or
    // minimised). Both emit framelessChanged; the caller sets the check mark of the command. F1
    // on the window toggles.
    void EnterFrameless();
    void LeaveFrameless();
    // The window is shown anew without taking the focus; the keyboard stays where it was, so
    // that F1 brings the frame back.
    void ToggleFrameless();
    bool IsFrameless() const { return m_bFrameless; }
    // Insets the frame and menu left behind: all 0 while not frameless.
    QMargins frameInsets() const { return m_bFrameless ? m_insets : QMargins(); }
    // The part of the window the captions own: below the menu bar while it shows.
    QRect clientRect() const;

    // ---- settings -------------------------------------------------------------------------
    // The placement of "main.position/size", with the frame back first; a maximised state is not
    // restored.
    void RestorePlacement();
    // Translucency and topmost as "main.translucent_i" and "main.topmost_i" say.
    void ApplySettings();
    // The normal placement (also while maximised, minimised or frameless), "main.size.config_i",
    // translucency and topmost.
    void SaveSettings();

    // ---- topmost --------------------------------------------------------------------------
    // Applies "main.topmost_i" as read from the settings, without moving, resizing or
    // activating the window.
    void ReflectTopmost();
    bool IsTopmost() const;

    // ---- translucency ---------------------------------------------------------------------
    // BeginTranslucent marks translucent; ApplyTranslucent then reads
    // "main.translucent.opacity_i" and redraws, and runs again whenever the background colour
    // changes. EndTranslucent makes the background opaque again and redraws.
    void BeginTranslucent();
    void ApplyTranslucent();
    void EndTranslucent();
    bool IsTranslucent() const { return m_bTranslucent; }
    // The alpha the background is painted with: opacity × 255 / 100 while translucent on a
    // desktop that composites, else 255.
    int backgroundAlpha() const;
    // Replaces every pixel of exactly the background colour with that colour at
    // backgroundAlpha(); nothing when the alpha is 255. The image is converted to
    // QImage::Format_ARGB32_Premultiplied when it has no alpha channel.
    void KeyBackground(QImage &image, const QColor &background) const;
    // The background colour with backgroundAlpha(), for strips painted outside the image.
    QColor backgroundFill(const QColor &background) const;

    // opacity × 255 / 100 truncated, limited to 0…255.
    static int AlphaForOpacity(int opacity);
    // Whether windows with a see-through background are composited over what lies beneath.
    static bool HasCompositor();
    // False where the desktop decides the stacking itself and may ignore stay-on-top (Wayland).
    static bool DesktopKeepsOnTop();

signals:
    void framelessChanged(bool frameless);

private:
    // Sets or clears window flags without moving, resizing or activating the window.
    void changeFlags(Qt::WindowFlags flags);

    QPointer<QWidget> m_window;
    QPointer<QWidget> m_menuBar;
    ReceivedMain &m_store;
    CConfig &m_config;

    bool m_bFrameless = false;
    QMargins m_insets;
    QRect m_savedGeometry;
    Qt::WindowStates m_savedState = Qt::WindowNoState;
    bool m_bMenuBarWasVisible = false;

    // As the settings ask; IsTranslucent() follows the first.
    bool m_bTranslucentSetting = false;
    bool m_bTopmostSetting = false;
    bool m_bTranslucent = false;
    bool m_bSurfaceTranslucent = false;
    int m_nOpacity = 100;
};
