#include "config/ConfigKeys.h"

#include "core/AppPaths.h"
#include "core/StringTable.h"

namespace {

constexpr std::optional<qint32> none = std::nullopt;

// Builds the table so that each key reads as one line: name, default, lower and upper bound.
class Table final
{
public:
    explicit Table(const std::optional<QRect> &area)
    {
        if (area) {
            m_bArea = true;
            m_left = area->x();
            m_top = area->y();
            // The rectangle's right and bottom edges are exclusive here, as x + width.
            m_right = qint64(area->x()) + area->width();
            m_bottom = qint64(area->y()) + area->height();
        }
    }

    void integer(QStringView key, qint32 value, std::optional<qint32> lower = none,
                 std::optional<qint32> upper = none)
    {
        m_keys.push_back({key.toString(), QString::number(value), lower, upper});
    }
    // Text bounds are lengths in characters.
    void text(QStringView key, QStringView value, std::optional<qint32> minLength = none,
              std::optional<qint32> maxLength = none)
    {
        m_keys.push_back({key.toString(), value.toString(), minLength, maxLength});
    }
    // Six hexadecimal digits of 0xBBGGRR.
    void colour(QStringView key, QStringView value) { text(key, value); }

    qint32 left() const { return m_bArea ? qint32(m_left) : 0; }
    qint32 top() const { return m_bArea ? qint32(m_top) : 0; }
    // The origin is added to sizes and column widths too, so these are used for all of them.
    qint32 X(qint64 percent, qint32 fallback) const
    {
        return m_bArea ? qint32(m_left + (m_right - m_left) * percent / 100) : fallback;
    }
    qint32 Y(qint64 percent, qint32 fallback) const
    {
        return m_bArea ? qint32(m_top + (m_bottom - m_top) * percent / 100) : fallback;
    }
    static QString string(int id) { return CStringTable::get(id); }
    // Empty when there is no documents folder.
    static QString documentFolder()
    {
        QString folder;
        if (!CAppPaths::GetDocumentFolder(folder))
            folder.clear();
        return folder;
    }

    std::vector<CConfigKeys::Key> take() { return std::move(m_keys); }

private:
    bool m_bArea = false;
    qint64 m_left = 0;
    qint64 m_top = 0;
    qint64 m_right = 0;
    qint64 m_bottom = 0;
    std::vector<CConfigKeys::Key> m_keys;
};

} // namespace

std::vector<CConfigKeys::Key> CConfigKeys::table(const std::optional<QRect> &workArea)
{
    Table t(workArea);

    // Caption display window.
    t.integer(u"main.position.x_i", t.left());
    t.integer(u"main.position.y_i", t.top());
    t.integer(u"main.size.x_i", t.X(50, 370));
    t.integer(u"main.size.y_i", t.Y(50, 260));
    t.integer(u"main.size.config_i", 0, 0, 1);
    t.integer(u"main.margin.x_i", 4, 0, 20);
    t.integer(u"main.margin.y_i", 4, 0, 20);
    t.text(u"main.font.name", t.string(174));
    t.integer(u"main.font.point_i", 36, 6);
    t.integer(u"main.font.charset_i", 1, 0, 255);
    t.integer(u"main.font.weight_i", 0, 0, 1);
    t.integer(u"main.font.italic_i", 0, 0, 1);
    t.integer(u"main.font.underline_i", 0, 0, 1);
    t.colour(u"main.color.text", u"000000");
    t.colour(u"main.color.background", u"ffffff");
    t.colour(u"main.color.outline", u"33ff00");
    t.integer(u"main.scroll.period_i", 30, 10);
    t.integer(u"main.scroll.pixel_i", 4, 1);
    t.integer(u"main.line.height_i", 100, 70, 200);
    t.integer(u"main.line.max_i", 50, 30, 200);
    t.integer(u"main.border.display_i", 1, 0, 1);
    t.integer(u"main.undo.max_i", 5, 5, 5);
    t.integer(u"main.font.outline_i", 0, 0, 1);
    t.integer(u"main.font.outline.width_i", 2, 1, 99);
    t.integer(u"main.translucent_i", 0, 0, 1);
    t.integer(u"main.translucent.opacity_i", 70, 0, 100);
    t.integer(u"main.topmost_i", 0, 0, 1);
    // The web page's QR code in a corner of the display: shown, side in percent of the shorter
    // side of the text area, corner 0 top left, 1 top right, 2 bottom left, 3 bottom right.
    t.integer(u"main.qrcode.display_i", 0, 0, 1);
    t.integer(u"main.qrcode.size_i", 25, 10, 100);
    t.integer(u"main.qrcode.corner_i", 1, 0, 3);

    // Member monitor.
    t.integer(u"monitor.display_i", 1, 0, 1);
    t.integer(u"monitor.position.x_i", t.left());
    t.integer(u"monitor.position.y_i", t.Y(65, 340));
    t.integer(u"monitor.size.x_i", t.X(60, 470));
    t.integer(u"monitor.size.y_i", t.Y(35, 170));
    t.integer(u"monitor.width.name_i", t.X(11, 85));
    t.integer(u"monitor.width.absent_i", t.X(7, 60));
    t.integer(u"monitor.width.input_i", t.X(34, 260));
    t.integer(u"monitor.width.ip_i", t.X(7, 60));
    t.integer(u"monitor.sort.column_i", 0);
    t.text(u"monitor.font.name", t.string(175));
    t.integer(u"monitor.font.point_i", 12, 6);
    t.integer(u"monitor.font.charset_i", 1, 0, 255);
    t.integer(u"monitor.font.weight_i", 0, 0, 1);
    t.integer(u"monitor.font.italic_i", 0, 0, 1);
    t.integer(u"monitor.font.underline_i", 0, 0, 1);
    t.colour(u"monitor.color.text", u"000000");
    t.colour(u"monitor.color.background", u"ffffff");
    t.colour(u"monitor.color.background.lost", u"ff6666");

    // Input window.
    t.integer(u"input.display_i", 1, 0, 1);
    t.integer(u"input.position.x_i", t.left());
    t.integer(u"input.position.y_i", t.Y(50, 260));
    t.integer(u"input.size.x_i", t.X(50, 370));
    t.integer(u"input.size.y_i", t.Y(15, 80));
    t.text(u"input.quote.1.begin", t.string(176));
    t.text(u"input.quote.1.end", t.string(177));
    t.text(u"input.quote.2.begin", t.string(178));
    t.text(u"input.quote.2.end", t.string(179));
    t.text(u"input.font.name", t.string(175));
    t.integer(u"input.font.point_i", 12, 6);
    t.integer(u"input.font.charset_i", 1, 0, 255);
    t.integer(u"input.font.weight_i", 0, 0, 1);
    t.integer(u"input.font.italic_i", 0, 0, 1);
    t.integer(u"input.font.underline_i", 0, 0, 1);
    t.colour(u"input.color.text", u"000000");
    t.colour(u"input.color.background", u"ffffff");

    // Contact window.
    t.integer(u"chat.display_i", 1, 0, 1);
    t.integer(u"chat.position.x_i", t.X(50, 370));
    t.integer(u"chat.position.y_i", t.top());
    t.colour(u"chat.color.text", u"000000");
    t.colour(u"chat.color.background", u"ffffff");
    t.colour(u"chat.color.flash", u"0000ff");
    t.integer(u"chat.size.x_i", t.X(25, 230));
    t.integer(u"chat.size.y_i", t.Y(50, 250));
    t.text(u"chat.font.name", t.string(175));
    t.integer(u"chat.font.point_i", 12, 6);
    t.integer(u"chat.font.charset_i", 1, 0, 255);
    t.integer(u"chat.font.weight_i", 0, 0, 1);
    t.integer(u"chat.font.italic_i", 0, 0, 1);
    t.integer(u"chat.font.underline_i", 0, 0, 1);
    t.integer(u"chat.time_i", 5, 1, 99);
    t.integer(u"chat.flash.time_i", 500);
    t.text(u"chat.message.notice", t.string(106));
    t.text(u"chat.message.change", t.string(108));
    t.text(u"chat.message.active", t.string(109));
    t.text(u"chat.message.inactive", t.string(110));

    // Pre-roll window and its pane name bar.
    t.integer(u"pft.display_i", 0, 0, 1);
    t.integer(u"pft.position.x_i", t.X(75, 600));
    t.integer(u"pft.position.y_i", t.top());
    t.integer(u"pft.size.x_i", t.X(25, 200));
    t.integer(u"pft.size.y_i", t.Y(50, 240));
    t.text(u"pft.send.multiline.limit", u"20", 2);
    t.text(u"pft.font.name", t.string(175));
    t.integer(u"pft.font.point_i", 12, 6);
    t.integer(u"pft.font.charset_i", 1, 0, 255);
    t.integer(u"pft.font.weight_i", 0, 0, 1);
    t.integer(u"pft.font.italic_i", 0, 0, 1);
    t.integer(u"pft.font.underline_i", 0, 0, 1);
    t.colour(u"pft.color.text", u"000000");
    t.colour(u"pft.color.background", u"ffffff");
    t.text(u"pft.name.font.name", t.string(175));
    t.integer(u"pft.name.font.point_i", 9, 6);
    t.integer(u"pft.name.font.charset_i", 1, 0, 255);
    t.integer(u"pft.name.font.weight_i", 0, 0, 1);
    t.integer(u"pft.name.font.italic_i", 0, 0, 1);
    t.integer(u"pft.name.font.underline_i", 0, 0, 1);
    t.colour(u"pft.name.color.text", u"000000");
    t.colour(u"pft.name.color.background", u"ffffff");
    t.colour(u"pft.name.nonsel.color.background", u"999999");
    t.integer(u"pft.display.all_i", 0, 0, 1);
    t.integer(u"pft.display.current_pane_ratio_i", 10, 10, 30);

    // Pre-roll monitor.
    t.integer(u"pft_monitor.display_i", 0, 0, 1);
    t.integer(u"pft_monitor.position.x_i", t.X(75, 600));
    t.integer(u"pft_monitor.position.y_i", t.Y(50, 240));
    t.integer(u"pft_monitor.size.x_i", t.X(25, 200));
    t.integer(u"pft_monitor.size.y_i", t.Y(50, 240));
    t.text(u"pft_monitor.font.name", t.string(175));
    t.integer(u"pft_monitor.font.point_i", 12, 6);
    t.integer(u"pft_monitor.font.charset_i", 1, 0, 255);
    t.integer(u"pft_monitor.font.weight_i", 0, 0, 1);
    t.integer(u"pft_monitor.font.italic_i", 0, 0, 1);
    t.integer(u"pft_monitor.font.underline_i", 0, 0, 1);
    t.colour(u"pft_monitor.color.text", u"000000");
    t.colour(u"pft_monitor.color.background", u"ffffff");

    // Function-key window.
    t.integer(u"fkey.display_i", 1, 0, 1);
    t.integer(u"fkey.position.x_i", t.X(60, 470));
    t.integer(u"fkey.position.y_i", t.Y(50, 240));
    t.integer(u"fkey.size.x_i", t.X(15, 130));
    t.integer(u"fkey.size.y_i", t.Y(50, 240));
    t.text(u"fkey.font.name", t.string(175));
    t.integer(u"fkey.font.point_i", 9, 6);
    t.integer(u"fkey.font.charset_i", 1, 0, 255);
    t.integer(u"fkey.font.weight_i", 0, 0, 1);
    t.integer(u"fkey.font.italic_i", 0, 0, 1);
    t.integer(u"fkey.font.underline_i", 0, 0, 1);
    t.colour(u"fkey.color.text", u"000000");
    t.colour(u"fkey.color.background", u"ffffff");
    t.text(u"fkey.string.01", {});
    t.text(u"fkey.string.02", {});
    t.text(u"fkey.string.03", {});
    t.text(u"fkey.string.04", {});
    t.text(u"fkey.string.05", {});
    t.text(u"fkey.string.06", {});
    t.text(u"fkey.string.07", {});
    t.text(u"fkey.string.08", {});
    t.text(u"fkey.string.09", {});
    t.text(u"fkey.string.10", {});
    t.text(u"fkey.string.11", {});
    t.text(u"fkey.string.12", {});

    // Cover window.
    t.integer(u"hide.display_i", 0, 0, 1);
    t.colour(u"hide.color.background", u"ffffff");

    // Session and web server.
    t.text(u"communication.nic.name", {});
    t.text(u"communication.name", {}, none, 16);
    t.integer(u"communication.channel_i", 1, 1, 12);
    t.integer(u"communication.group_i", 1, 1, 26);
    t.integer(u"communication.heartbeat.period_i", 2, 1, 60);
    t.text(u"communication.http.color", u"ffffff", 6, 6);
    t.text(u"communication.http.bgcolor", u"000000", 6, 6);
    t.integer(u"communication.http.reload_i", 800, 500, 100000);
    t.integer(u"communication.http.fontsize_i", 150, 10, 1000);
    t.integer(u"communication.http.lineheight_i", 140, 100, 200);
    t.integer(u"communication.http.line_i", 7, 1, 15);
    t.integer(u"communication.http.letter_i", 16, 5, 41);
    // The web server was switched on: a restart brings the pages back by itself.
    t.integer(u"communication.http.server_i", 0, 0, 1);

    // Logs, start-up, palette, language, speaker delimiter.
    t.integer(u"miscellaneous.log.display_i", 0, 0, 1);
    t.integer(u"miscellaneous.log.chat_i", 0, 0, 1);
    t.integer(u"miscellaneous.log.software_i", 1, 0, 1);
    t.text(u"miscellaneous.log.folder", t.documentFolder(), none, 220);
    t.integer(u"miscellaneous.log.lines.keep_i", 2000, 1000, 99999);
    t.integer(u"miscellaneous.log.lines.save_i", 100, 10, 1000);
    t.integer(u"miscellaneous.init.type_i", 0, 0, 2);
    t.text(u"miscellaneous.customcolors", {});
    t.integer(u"miscellaneous.resource.lcid_i", 0, 0, 65535);
    t.text(u"miscellaneous.delimiter.speaker", {});

    return t.take();
}
