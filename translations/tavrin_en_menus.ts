<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<!-- Texts that reach QCoreApplication::translate where lupdate cannot see them (through helper functions,
     or tr() of QT_TRANSLATE_NOOP): the display window's menus and two settings dialogs. Kept by hand. -->
<context>
    <name>Menu101</name>
    <message>
        <source>ファイル(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>LANカードを選んで（再）接続... (&amp;L)	Ctrl+L</source>
        <translation>Choose &amp;LAN Card and (Re)connect...	Ctrl+L</translation>
    </message>
    <message>
        <source>設定ファイルを開く...(&amp;O)	Ctrl+O</source>
        <translation>&amp;Open Settings File...	Ctrl+O</translation>
    </message>
    <message>
        <source>設定に名前をつけて保存...(&amp;A)	Ctrl+S</source>
        <translation>Save Settings &amp;As...	Ctrl+S</translation>
    </message>
    <message>
        <source>終了...(&amp;X)	Alt+F4</source>
        <translation>E&amp;xit...	Alt+F4</translation>
    </message>
    <message>
        <source>ウインドウ(&amp;W)</source>
        <translation>&amp;Window</translation>
    </message>
    <message>
        <source>入力ウインドウ(&amp;I)	Shift+Ctrl+I</source>
        <translation>&amp;Input Window	Shift+Ctrl+I</translation>
    </message>
    <message>
        <source>入力モニターウインドウ(&amp;M)	Shift+Ctrl+M</source>
        <translation>Input &amp;Monitor Window	Shift+Ctrl+M</translation>
    </message>
    <message>
        <source>連絡窓(&amp;C)	Shift+Ctrl+R</source>
        <translation>&amp;Contact Window	Shift+Ctrl+R</translation>
    </message>
    <message>
        <source>前ロールウインドウ(&amp;N)	Shift+Ctrl+N</source>
        <translation>Pre-roll Wi&amp;ndow	Shift+Ctrl+N</translation>
    </message>
    <message>
        <source>前ロールモニター(&amp;T)	Shift+Ctrl+T</source>
        <translation>Pre-roll Moni&amp;tor	Shift+Ctrl+T</translation>
    </message>
    <message>
        <source>Fキーウインドウ(&amp;F)	Shift+Ctrl+F</source>
        <translation>&amp;F-key Window	Shift+Ctrl+F</translation>
    </message>
    <message>
        <source>ここまでのログを見る(&amp;L)	Shift+Ctrl+G</source>
        <translation>View &amp;Log So Far	Shift+Ctrl+G</translation>
    </message>
    <message>
        <source>ウインドウの枠を消す(&amp;H)	F1</source>
        <translation>&amp;Hide Window Frame	F1</translation>
    </message>
    <message>
        <source>ウインドウ以外を単一色でカバー (&amp;S)</source>
        <translation>Cover Everything but the Window in a &amp;Single Color</translation>
    </message>
    <message>
        <source>ウインドウ以外をカバーする色... (&amp;S)</source>
        <translation>Color of the &amp;Screen Cover...</translation>
    </message>
    <message>
        <source>Webページの QR コードを表示 (&amp;Q)	Shift+Ctrl+Q</source>
        <translation>Show the Web Page's &amp;QR Code	Shift+Ctrl+Q</translation>
    </message>
    <message>
        <source>設定(&amp;S)</source>
        <translation>&amp;Settings</translation>
    </message>
    <message>
        <source>表示... (&amp;D)</source>
        <translation>&amp;Display...</translation>
    </message>
    <message>
        <source>フォント... (&amp;F)</source>
        <translation>&amp;Font...</translation>
    </message>
    <message>
        <source>背景色... (&amp;B)</source>
        <translation>&amp;Background Color...</translation>
    </message>
    <message>
        <source>縁取りの色... (&amp;O)</source>
        <translation>&amp;Outline Color...</translation>
    </message>
    <message>
        <source>入力... (&amp;I)</source>
        <translation>&amp;Input...</translation>
    </message>
    <message>
        <source>入力ウインドウ(&amp;I)</source>
        <translation>&amp;Input Window</translation>
    </message>
    <message>
        <source>入力モニターウインドウ(&amp;M)</source>
        <translation>Input &amp;Monitor Window</translation>
    </message>
    <message>
        <source>通信断の際の背景色... (&amp;L)</source>
        <translation>Background Color When the Connection Is &amp;Lost...</translation>
    </message>
    <message>
        <source>前ロールモニター(&amp;T)</source>
        <translation>Pre-roll Moni&amp;tor</translation>
    </message>
    <message>
        <source>Fキーウインドウ(&amp;F)</source>
        <translation>&amp;F-key Window</translation>
    </message>
    <message>
        <source>ログ... (&amp;L)</source>
        <translation>&amp;Log...</translation>
    </message>
    <message>
        <source>簡易Webサーバー...(&amp;W)</source>
        <translation>Simple &amp;Web Server...</translation>
    </message>
    <message>
        <source>字幕の中継 (Zoom・YouTube)...(&amp;C)</source>
        <translation>&amp;Caption Relay (Zoom, YouTube)...</translation>
    </message>
    <message>
        <source>字幕ファイルに書き出す (SRT・WebVTT)...(&amp;E)</source>
        <translation>&amp;Export Subtitles (SRT, WebVTT)...</translation>
    </message>
    <message>
        <source>起動時設定...(&amp;N)</source>
        <translation>Start-up Setti&amp;ngs...</translation>
    </message>
    <message>
        <source>設定を初期化...(&amp;R)</source>
        <translation>&amp;Reset Settings...</translation>
    </message>
    <message>
        <source>言語 (language)...</source>
        <translation>Language...</translation>
    </message>
    <message>
        <source>ヘルプ(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>バージョン情報(&amp;V)</source>
        <translation>&amp;Version Information</translation>
    </message>
</context>
<context>
    <name>Menu125</name>
    <message>
        <source>フォント... (&amp;F)</source>
        <translation>&amp;Font...</translation>
    </message>
    <message>
        <source>背景色... (&amp;B)</source>
        <translation>&amp;Background Color...</translation>
    </message>
    <message>
        <source>表示設定... (&amp;D)</source>
        <translation>&amp;Display Settings...</translation>
    </message>
    <message>
        <source>ウインドウ枠を消す (&amp;H)</source>
        <translation>&amp;Hide Window Frame</translation>
    </message>
    <message>
        <source>ウインドウ以外を単一色でカバー (&amp;S)</source>
        <translation>Cover Everything but the Window in a &amp;Single Color</translation>
    </message>
    <message>
        <source>Webページの QR コードを表示 (&amp;Q)</source>
        <translation>Show the Web Page's &amp;QR Code</translation>
    </message>
</context>
<context>
    <name>CDlgCfgDisplay</name>
    <message>
        <source>表示設定</source>
        <translation>Display Settings</translation>
    </message>
    <message>
        <source>スクロール間隔 (&amp;I)</source>
        <translation>Scroll interval (&amp;I)</translation>
    </message>
    <message>
        <source>ミリ秒（10以上）</source>
        <translation>milliseconds (10 or more)</translation>
    </message>
    <message>
        <source>スクロール幅 (&amp;P)</source>
        <translation>Scroll step (&amp;P)</translation>
    </message>
    <message>
        <source>ピクセル（1以上）</source>
        <translation>pixels (1 or more)</translation>
    </message>
    <message>
        <source>1行の高さ (&amp;H)</source>
        <translation>Line height (&amp;H)</translation>
    </message>
    <message>
        <source>％（70～200）</source>
        <translation>% (70-200)</translation>
    </message>
    <message>
        <source>（文字の高さに対する倍率）</source>
        <translation>(relative to the text height)</translation>
    </message>
    <message>
        <source>文字の縁取り幅 (&amp;W)</source>
        <translation>Outline width (&amp;W)</translation>
    </message>
    <message>
        <source>ピクセル（1～99）</source>
        <translation>pixels (1-99)</translation>
    </message>
    <message>
        <source>縁取りする (&amp;O)</source>
        <translation>Outline the text (&amp;O)</translation>
    </message>
    <message>
        <source>メインウインドウ配置</source>
        <translation>Main window placement</translation>
    </message>
    <message>
        <source>最前面に配置する (&amp;T)</source>
        <translation>Always on top (&amp;T)</translation>
    </message>
    <message>
        <source>背景色の透過 (&amp;B)</source>
        <translation>Background opacity (&amp;B)</translation>
    </message>
    <message>
        <source>％（0（透明）～100（不透明））</source>
        <translation>% (0 (transparent) to 100 (opaque))</translation>
    </message>
    <message>
        <source>透過処理する (&amp;R)</source>
        <translation>Make the background translucent (&amp;R)</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>CDlgCfgLog</name>
    <message>
        <source>ログ設定</source>
        <translation>Log Settings</translation>
    </message>
    <message>
        <source>表示部のログ</source>
        <translation>Log of the display</translation>
    </message>
    <message>
        <source>保存する (&amp;S)</source>
        <translation>Save (&amp;S)</translation>
    </message>
    <message>
        <source>連絡窓のログ</source>
        <translation>Log of the contact window</translation>
    </message>
    <message>
        <source>保存する (&amp;A)</source>
        <translation>Save (&amp;A)</translation>
    </message>
    <message>
        <source>ログ保存先</source>
        <translation>Log folder</translation>
    </message>
    <message>
        <source>変更...</source>
        <translation>Change...</translation>
    </message>
    <message>
        <source>フォルダを開く</source>
        <translation>Open Folder</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
</TS>
