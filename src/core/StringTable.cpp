#include "core/StringTable.h"

#include <QHash>

namespace {

const QHash<int, QString> &builtIn()
{
    static const QHash<int, QString> table = {
        {101, QStringLiteral("tavrin")},
        {102, QStringLiteral("ネットワーク初期化でエラーが発生しました。")},
        {103, QStringLiteral("重大なエラー（動作が継続できません）")},
        {106, QStringLiteral("30秒前です。")},
        {107, QStringLiteral("／")},
        {108, QStringLiteral("交代です。")},
        {109, QStringLiteral("[動作]")},
        {110, QStringLiteral("[停止]")},
        {113, QStringLiteral("同じネットワークポートが別のプログラムに使われています。\r\n"
                             "別チャンネルを指定して再ログインしてみてください。")},
        {114, QStringLiteral("ネットワークエラーです。接続を再確認してください。")},
        {115, QStringLiteral("（接続可能なLANがありません）")},
        {116, QStringLiteral("エラー")},
        {128, QStringLiteral("班内のQuorel利用者が多すぎるため、一部メンバーと通信できません。\r\n"
                             "班かチャンネルの変更をご検討ください。")},
        {129, QStringLiteral("警告")},
        {160, QStringLiteral("ファイルを格納するメモリ領域が確保できません。\r\nファイルの大きさを確認した上で、"
                             "大きすぎない場合は本アプリケーションを再起動してください。")},
        {161, QStringLiteral("ファイル読み込みでエラーが発生しました。\r\n"
                             "他のプログラムでファイルを開いていたら、そちらを終了してください。")},
        {162, QStringLiteral("ファイルの大きさの確認の際にエラーが発生しました。\r\n"
                             "他のプログラムでファイルを開いていたら、そちらを終了してください。")},
        {163, QStringLiteral("ファイルへのアクセスでエラーが発生しました。\r\n"
                             "他のプログラムでファイルを開いていたら、そちらを終了してください。")},
        {172, QStringLiteral(")]}｣）〕］｝〉》」』】>＞,.，．、。ー－！？!?")},
        {174, QStringLiteral("ＭＳ Ｐゴシック")},
        {175, QStringLiteral("ＭＳ Ｐゴシック")},
        {176, QStringLiteral("「")},
        {177, QStringLiteral("」")},
        {178, QStringLiteral("（")},
        {179, QStringLiteral("）")},
    };
    return table;
}

QHash<int, QString> &overrides()
{
    static QHash<int, QString> table;
    return table;
}

} // namespace

QString CStringTable::get(int id)
{
    const auto over = overrides().constFind(id);
    if (over != overrides().cend())
        return *over;
    return builtIn().value(id);
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
