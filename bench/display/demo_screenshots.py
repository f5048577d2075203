#!/usr/bin/env python3
"""Screenshots of the caption display as the audience sees it.

The real program runs under Xvfb in host 1 of a namespace LAN (tools/netlan); a tavrin_node in
host 2 types Japanese lines. Usage (as root, from the repository):

    python3 bench/display/demo_screenshots.py BUILD_DIR NODE_BINARY OUT_DIR
"""
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tools", "netlan"))
sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tools", "desktop"))
import netlan  # noqa: E402
import desktop  # noqa: E402

LINES = [
    "本日はお忙しいところお集まりいただき、誠にありがとうございます。",
    "それでは定刻になりましたので、第三回の研究会を始めます。",
    "まず、お手元の資料の確認をお願いいたします。",
    "資料は全部で三種類、レジュメと統計表、それからアンケート用紙です。",
    "足りない方は手を挙げてください。係の者がお持ちします。",
    "今日のテーマは「聞こえの保障と情報のバリアフリー」です。",
    "要約筆記は、話の内容をその場で文字にして伝える方法です。",
    "パソコン要約筆記では、複数の入力者が交代で入力します。",
    "入力された文字は、ネットワークでつながった全員の画面に表示されます。",
    "それでは講師の先生をご紹介します。",
    "山田先生は、長年にわたり聴覚障害者の支援に携わってこられました。",
    "先生、よろしくお願いいたします。",
    "（拍手）",
    "ただいまご紹介にあずかりました山田です。",
    "今日は、皆さんと一緒に考えたいことが三つあります。",
    "一つ目は、情報が届かないことで何が起きるのか、ということです。",
    "二つ目は、私たちにできる工夫について。",
    "三つ目は、これからの技術がどこまで助けになるのか、です。",
    "まず一つ目から始めましょう。",
    "駅のアナウンスを思い浮かべてください。",
    "電車が遅れているとき、理由や見込みは音声だけで流れることが多いですね。",
    "聞こえない人にとって、それは「何も起きていない」のと同じです。",
    "掲示板に文字が出れば、状況はずっとよくわかります。",
    "ここで少し、会場の皆さんに伺います。",
    "駅で困った経験のある方はいらっしゃいますか。",
    "（会場から挙手多数）",
    "ありがとうございます。やはり多いですね。",
    "では、その経験をもとに、次の話に進みます。",
    "二つ目の工夫についてです。",
    "文字にするとき、全部を書く必要はありません。",
    "大切なのは、話の要点が正しく伝わることです。",
    "要約の技術は、練習で確実に身につきます。",
]


def settings(path, extra):
    keys = {
        "communication.name": "viewer",
        "communication.channel_i": "1",
        "communication.group_i": "1",
        "main.position.x_i": "0",
        "main.position.y_i": "0",
        "main.size.x_i": "1280",
        "main.size.y_i": "720",
        "main.font.name": "IPAGothic",
        "main.font.point_i": "36",
        "main.line.height_i": "110",
        # Only the display: the typist's windows would cover it on a desktop without a window manager.
        "input.display_i": "0",
        "monitor.display_i": "0",
        "chat.display_i": "0",
        "pft.display_i": "0",
        "pft_monitor.display_i": "0",
        "fkey.display_i": "0",
    }
    keys.update(extra)
    desktop.write_settings(path, keys)


def run(lan, build, node_binary, out_dir, name, extra, keys=(), lines=LINES):
    home = desktop.Home("/tmp/tavrin-demo-" + name)
    tvn = home.path("demo.tvn")
    settings(tvn, extra)
    with desktop.Xvfb("1600x900x24") as screen:
        program = desktop.Program(lan, lan.hosts[0], os.path.join(build, "src", "app", "tavrin"), screen, home, tvn)
        node = lan.spawn(lan.hosts[1], [node_binary, "--address", lan.hosts[1].address, "--name", "typist"])
        try:
            time.sleep(4.0)
            for line in lines:
                node.send("line " + line)
                time.sleep(0.35)
            for key in keys:
                screen.xdotool("search", "--name", "tavrin", "windowactivate", "--sync", "key", key, check=False)
                time.sleep(1.0)
            # Until the last line has scrolled in.
            time.sleep(12.0)
            shot = screen.screenshot(os.path.join(out_dir, "display-%s.png" % name))
            print("wrote", shot)
        finally:
            node.send("quit")
            try:
                program.terminate(timeout=10)
            except RuntimeError:
                pass
            lan.forget(node)


def main():
    build, node_binary, out_dir = sys.argv[1:4]
    os.makedirs(out_dir, exist_ok=True)
    cases = [
        ("normal", {}, ()),
        ("outlined", {"main.font.outline_i": "1", "main.font.outline.width_i": "3",
                      "main.color.text": "ffffff", "main.color.background": "000000",
                      "main.color.outline": "ff6600"}, ()),
        ("frameless", {"main.font.outline_i": "1", "main.color.text": "ffffff",
                       "main.color.background": "303030", "main.color.outline": "000000"}, ("F1",)),
        ("translucent", {"main.translucent_i": "1", "main.translucent.opacity_i": "40",
                         "main.font.outline_i": "1", "main.color.background": "202020",
                         "main.color.text": "ffffff", "main.color.outline": "000000"}, ()),
        ("covered", {"hide.display_i": "1", "hide.color.background": "005000",
                     "main.size.x_i": "1000", "main.size.y_i": "500", "main.position.x_i": "300",
                     "main.position.y_i": "200"}, ()),
    ]
    only = sys.argv[4:]
    with netlan.Lan(hosts=2) as lan:
        for name, extra, keys in cases:
            if not only or name in only:
                run(lan, build, node_binary, out_dir, name, extra, keys)


if __name__ == "__main__":
    main()
