#pragma once

#include "config/CConfig.h"
#include "display/CDlgMain.h"
#include "timeline/ReceivedMain.h"

#include <QCoreApplication>
#include <QString>
#include <QTest>

#include <memory>

// The display as the audience sees it on a full-HD screen: 1920 × 1080, IPAGothic at 36 points,
// outlined, scrolling 4 pixels every 30 ms (the defaults), with the store filled as the main
// window fills it at start.
struct DisplayFixture
{
    explicit DisplayFixture(bool outline = true, int width = 1920, int height = 1080)
    {
        config.SetString(QStringLiteral("main.font.name"), QStringLiteral("IPAGothic"));
        config.SetInt(QStringLiteral("main.font.point_i"), 36);
        config.SetInt(QStringLiteral("main.font.outline_i"), outline ? 1 : 0);
        config.SetInt(QStringLiteral("main.font.outline.width_i"), 2);
        config.SetInt(QStringLiteral("main.position.x_i"), 0);
        config.SetInt(QStringLiteral("main.position.y_i"), 0);
        config.SetInt(QStringLiteral("main.size.x_i"), width);
        config.SetInt(QStringLiteral("main.size.y_i"), height);
        config.SetColor(QStringLiteral("main.color.text"), 0xffffff);
        config.SetColor(QStringLiteral("main.color.background"), 0x000000);
        config.SetColor(QStringLiteral("main.color.outline"), 0x00a0ff);
        store.Configure(1000, 50);
        window = std::make_unique<CDlgMain>(config, store);
        window->CopyConfigToWindow();
        window->show();
        static_cast<void>(QTest::qWaitForWindowExposed(window.get()));
        for (int i = 0; i < 50; ++i)
            store.AddString(QString(), QStringLiteral("127.0.0.1"), 'i');
        window->RequestGoLast();
        window->canvas()->repaint();
        QCoreApplication::processEvents();
    }

    // A caption line about one screen wide.
    static QString line(int n)
    {
        static const QString texts[] = {
            QStringLiteral("本日はお忙しいところお集まりいただき、誠にありがとうございます。"),
            QStringLiteral("それでは定刻になりましたので、第三回の研究会を始めたいと思います。"),
            QStringLiteral("まず最初に、お手元の資料の確認をお願いいたします。"),
            QStringLiteral("要約筆記は、話の内容をその場で文字にして伝える方法です。"),
        };
        return texts[n % 4] + QString::number(n);
    }

    void add(int n)
    {
        store.AddString(line(n), QStringLiteral("127.0.0.1"), 'i');
        window->Refresh();
    }

    CConfig config;
    ReceivedMain store;
    std::unique_ptr<CDlgMain> window;
};
