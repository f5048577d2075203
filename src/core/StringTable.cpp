#include "core/StringTable.h"

#include <QCoreApplication>
#include <QHash>

#include <algorithm>
#include <iterator>

namespace {

struct Entry
{
    int id;
    const char *text; // UTF-8, the Japanese source of the translation
};

// Sorted by id. The page template (141) and the file-dialog filters keep their printf and '|'
// syntax; callers fill or split them. %1!d! style placeholders are positional inserts.
constexpr Entry kEntries[] = {
    {101, QT_TRANSLATE_NOOP("CStringTable", "tavrin")},
    {102, QT_TRANSLATE_NOOP("CStringTable", "ネットワーク初期化でエラーが発生しました。")},
    {103, QT_TRANSLATE_NOOP("CStringTable", "重大なエラー（動作が継続できません）")},
    {104, QT_TRANSLATE_NOOP("CStringTable", "：")},
    {105, QT_TRANSLATE_NOOP("CStringTable", " ")},
    {106, QT_TRANSLATE_NOOP("CStringTable", "30秒前です。")},
    {107, QT_TRANSLATE_NOOP("CStringTable", "／")},
    {108, QT_TRANSLATE_NOOP("CStringTable", "交代です。")},
    {109, QT_TRANSLATE_NOOP("CStringTable", "[動作]")},
    {110, QT_TRANSLATE_NOOP("CStringTable", "[停止]")},
    {111, QT_TRANSLATE_NOOP("CStringTable", "タイマーを開始しました（残り%d分%d秒）。")},
    {112, QT_TRANSLATE_NOOP("CStringTable", "タイマーを停止しました。")},
    {113, QT_TRANSLATE_NOOP("CStringTable", "同じネットワークポートが別のプログラムに使われています。\r\n"
                                            "別チャンネルを指定して再ログインしてみてください。")},
    {114, QT_TRANSLATE_NOOP("CStringTable", "ネットワークエラーです。接続を再確認してください。")},
    {115, QT_TRANSLATE_NOOP("CStringTable", "（接続可能なLANがありません）")},
    {116, QT_TRANSLATE_NOOP("CStringTable", "エラー")},
    {117, QT_TRANSLATE_NOOP("CStringTable", "tavrin設定ファイル (*.tvn)|*.tvn|all files (*.*)|*.*||")},
    {118,
     QT_TRANSLATE_NOOP("CStringTable", "テキストファイル (*.txt)|*.txt|Unicode前ロールファイル (*.tvu)|*.tvu|"
                                       "UTF-8前ロールファイル (*.tv8)|*.tv8|全てのファイル (*.*)|*.*||")},
    {119, QT_TRANSLATE_NOOP("CStringTable", "新規ファイル作成")},
    {120,
     QT_TRANSLATE_NOOP("CStringTable", "編集中の内容を保存しますか？（「はい」で保存、「いいえ」で破棄）")},
    {121, QT_TRANSLATE_NOOP("CStringTable", "名前")},
    {123, QT_TRANSLATE_NOOP("CStringTable", "接続")},
    {124, QT_TRANSLATE_NOOP("CStringTable", "入力中の内容")},
    {125, QT_TRANSLATE_NOOP("CStringTable", "IPアドレス")},
    {126, QT_TRANSLATE_NOOP("CStringTable", "無題")},
    {127, QT_TRANSLATE_NOOP("CStringTable", "ロール")},
    {128,
     QT_TRANSLATE_NOOP("CStringTable", "班内のQuorel利用者が多すぎるため、一部メンバーと通信できません。\r\n"
                                       "班かチャンネルの変更をご検討ください。")},
    {129, QT_TRANSLATE_NOOP("CStringTable", "警告")},
    {131, QT_TRANSLATE_NOOP("CStringTable", "バージョン")},
    {132, QT_TRANSLATE_NOOP("CStringTable", "tavrin - subtitling application\r\n\r\n"
                                            "(version information not available)")},
    {135, QT_TRANSLATE_NOOP("CStringTable", "ログを保存するフォルダを選んでください。")},
    {136, QT_TRANSLATE_NOOP("CStringTable", "これ以降は、新しいログ保存フォルダに保存されます。")},
    {137, QT_TRANSLATE_NOOP("CStringTable",
                            "動作中、異常な応答が一部にありました。\r\n"
                            "動作ログを保存し、支障がなければ開発者に送付いただけると助かります。")},
    {138, QT_TRANSLATE_NOOP("CStringTable", "HTTP/1.0 503 Service Unavailable\r\n")},
    {139, QT_TRANSLATE_NOOP("CStringTable", "HTTP/1.0 501 Not Implemented\r\n")},
    {140, QT_TRANSLATE_NOOP("CStringTable", "HTTP/1.0 200 OK\r\n")},
    {141,
     QT_TRANSLATE_NOOP("CStringTable",
                       "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\"\r\n"
                       "\"http://www.w3.org/TR/html4/strict.dtd\">\r\n"
                       "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">"
                       "<title>tavrin情報保障字幕</title>"
                       "<meta name=\"apple-mobile-web-app-capable\" content=\"yes\"></head>"
                       "<body style=\"font-family:sans-serif; font-size:xx-large; color:#%s; "
                       "background-color:#%s;\" onLoad=\"setInterval('location.reload()',%d)\">"
                       "<p style=\"font-size:%d%%; font-weight:bold; line-height:%d%%; margin:0; "
                       "padding:0;\">%s</p></body></html>")},
    {142, QT_TRANSLATE_NOOP("CStringTable",
                            "文字色は6桁の16進数で指定してください。使える文字は半角の0～9,A～F,a～fです。")},
    {143, QT_TRANSLATE_NOOP("CStringTable",
                            "背景色は6桁の16進数で指定してください。使える文字は半角の0～9,A～F,a～fです。")},
    {144, QT_TRANSLATE_NOOP("CStringTable", "文字サイズは、10～1000[％]の範囲で指定してください。")},
    {145, QT_TRANSLATE_NOOP("CStringTable", "行の高さは、100～200[％]の範囲で指定してください。")},
    {146, QT_TRANSLATE_NOOP("CStringTable", "更新間隔は、500～100000[ミリ秒]の範囲で指定してください。")},
    {147, QT_TRANSLATE_NOOP("CStringTable", "行数は1～15行の範囲で指定してください。")},
    {148, QT_TRANSLATE_NOOP("CStringTable", "1行の文字数は5～41字の範囲で指定してください。")},
    {149,
     QT_TRANSLATE_NOOP("CStringTable", "設定を全て初期化します。\r\n"
                                       "よければ「OK」を、やめる場合は「キャンセル」を選択してください。")},
    {150, QT_TRANSLATE_NOOP("CStringTable", "確認")},
    {152, QT_TRANSLATE_NOOP("CStringTable", "\t（1行取り消し）")},
    {153, QT_TRANSLATE_NOOP("CStringTable", "\t（画面クリア）")},
    {154, QT_TRANSLATE_NOOP("CStringTable", "\t（%1!d!行前の位置に補完）")},
    {155, QT_TRANSLATE_NOOP("CStringTable", "ログ : ")},
    {156, QT_TRANSLATE_NOOP("CStringTable", "(Ctrl+N)")},
    {159, QT_TRANSLATE_NOOP("CStringTable", "の前ロールをモニター中")},
    {160, QT_TRANSLATE_NOOP("CStringTable",
                            "ファイルを格納するメモリ領域が確保できません。\r\n"
                            "ファイルの大きさを確認した上で、大きすぎない場合は本アプリケーションを"
                            "再起動してください。")},
    {161,
     QT_TRANSLATE_NOOP("CStringTable", "ファイル読み込みでエラーが発生しました。\r\n"
                                       "他のプログラムでファイルを開いていたら、そちらを終了してください。")},
    {162,
     QT_TRANSLATE_NOOP("CStringTable", "ファイルの大きさの確認の際にエラーが発生しました。\r\n"
                                       "他のプログラムでファイルを開いていたら、そちらを終了してください。")},
    {163,
     QT_TRANSLATE_NOOP("CStringTable", "ファイルへのアクセスでエラーが発生しました。\r\n"
                                       "他のプログラムでファイルを開いていたら、そちらを終了してください。")},
    {164, QT_TRANSLATE_NOOP("CStringTable", "(オフライン)")},
    {165, QT_TRANSLATE_NOOP("CStringTable", "%1!d!チャンネル %2!c!班")},
    {166, QT_TRANSLATE_NOOP("CStringTable", "本当に終了してもいいですか？")},
    {167, QT_TRANSLATE_NOOP("CStringTable", "(CTRL+D)")},
    {168, QT_TRANSLATE_NOOP("CStringTable",
                            "パラメータが範囲外です。設定ダイアログをよく読んで、再設定してください。")},
    {170, QT_TRANSLATE_NOOP("CStringTable", "フォルダを開けませんでした。\r\n（エラーコード：%1!lu!）")},
    {171, QT_TRANSLATE_NOOP("CStringTable", "前ロールファイル (*.txt,*.tvu,*.tv8)|*.txt;*.tvu;*.tv8|"
                                            "全てのファイル (*.*)|*.*||")},
    {172, QT_TRANSLATE_NOOP("CStringTable", ")]}｣）〕］｝〉》」』】>＞,.，．、。ー－！？!?")},
    {174, QT_TRANSLATE_NOOP("CStringTable", "ＭＳ Ｐゴシック")},
    {175, QT_TRANSLATE_NOOP("CStringTable", "ＭＳ Ｐゴシック")},
    {176, QT_TRANSLATE_NOOP("CStringTable", "「")},
    {177, QT_TRANSLATE_NOOP("CStringTable", "」")},
    {178, QT_TRANSLATE_NOOP("CStringTable", "（")},
    {179, QT_TRANSLATE_NOOP("CStringTable", "）")},
    {180, QT_TRANSLATE_NOOP("CStringTable",
                            "言語選択を有効にするには、(1)設定を保存、(2)tavrinを再起動してください。")},
};

static_assert(std::is_sorted(std::begin(kEntries), std::end(kEntries),
                             [](const Entry &a, const Entry &b) { return a.id < b.id; }));

const char *findSource(int id)
{
    const auto it = std::lower_bound(std::begin(kEntries), std::end(kEntries), id,
                                     [](const Entry &e, int key) { return e.id < key; });
    if (it == std::end(kEntries) || it->id != id)
        return nullptr;
    return it->text;
}

QHash<int, QString> &overrides()
{
    static QHash<int, QString> table;
    return table;
}

} // namespace

const char *CStringTable::context()
{
    return "CStringTable";
}

QString CStringTable::get(int id)
{
    const auto over = overrides().constFind(id);
    if (over != overrides().cend())
        return *over;
    const char *text = findSource(id);
    if (!text)
        return {};
    return QCoreApplication::translate(context(), text);
}

QString CStringTable::source(int id)
{
    const char *text = findSource(id);
    return text ? QString::fromUtf8(text) : QString();
}

QList<int> CStringTable::ids()
{
    QList<int> result;
    result.reserve(static_cast<qsizetype>(std::size(kEntries)));
    for (const Entry &entry : kEntries)
        result.append(entry.id);
    return result;
}

void CStringTable::setOverride(int id, const QString &text)
{
    if (text.isEmpty())
        overrides().remove(id);
    else
        overrides().insert(id, text);
}

void CStringTable::clearOverrides()
{
    overrides().clear();
}

QString CStringTable::forDisplay(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}
