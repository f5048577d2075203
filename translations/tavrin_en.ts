<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>CDlgCfgHttp</name>
    <message>
        <source>簡易Webサーバー設定</source>
        <translation>Simple Web Server Settings</translation>
    </message>
    <message>
        <source>簡易Webサーバー機能を使用する (&amp;E)</source>
        <translation>Use the simple web server (&amp;E)</translation>
    </message>
    <message>
        <source>アクセス先 (&amp;U)</source>
        <translation>Access URLs (&amp;U)</translation>
    </message>
    <message>
        <source>文字色（6桁の16進数で） (&amp;F)</source>
        <translation>Text color (6 hexadecimal digits) (&amp;F)</translation>
    </message>
    <message>
        <source>背景色（6桁の16進数で） (&amp;B)</source>
        <translation>Background color (6 hexadecimal digits) (&amp;B)</translation>
    </message>
    <message>
        <source>文字サイズ（xx-large基準の％値。10～1000％） (&amp;S)</source>
        <translation>Font size (percent of xx-large, 10-1000%) (&amp;S)</translation>
    </message>
    <message>
        <source>行の高さ（文字の高さ基準の％値。100～200％） (&amp;H)</source>
        <translation>Line height (percent of the text height, 100-200%) (&amp;H)</translation>
    </message>
    <message>
        <source>更新間隔（単位はミリ秒。500～100000ミリ秒） (&amp;I)</source>
        <translation>Reload interval (in milliseconds, 500-100000) (&amp;I)</translation>
    </message>
    <message>
        <source>行数（1～15行） (&amp;N)</source>
        <translation>Number of lines (1-15) (&amp;N)</translation>
    </message>
    <message>
        <source>1行内の文字数の目安（5～41字） (&amp;C)</source>
        <translation>Approximate letters per line (5-41) (&amp;C)</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>アドレスがありません</source>
        <translation>No address</translation>
    </message>
</context>
<context>
    <name>CDlgCfgInit</name>
    <message>
        <source>起動時設定</source>
        <translation>Start-up Settings</translation>
    </message>
    <message>
        <source>tavrin起動時の設定を選択してください。

（設定ファイルから起動した場合は、
&#x3000;その設定ファイルの内容が有効になります）</source>
        <translation>Choose the settings tavrin starts with.

(When tavrin is started from a settings file,
 the contents of that settings file apply.)</translation>
    </message>
    <message>
        <source>初期設定なし (&amp;N)</source>
        <translation>No initial settings (&amp;N)</translation>
    </message>
    <message>
        <source>現在の設定を初期設定にする (&amp;C)</source>
        <translation>Make the current settings the initial settings (&amp;C)</translation>
    </message>
    <message>
        <source>前回終了時の設定を初期設定にする (&amp;L)</source>
        <translation>Make the settings at the last exit the initial settings (&amp;L)</translation>
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
    <name>CDlgCfgInput</name>
    <message>
        <source>入力設定</source>
        <translation>Input Settings</translation>
    </message>
    <message>
        <source>F8押下時に囲む文字 (&amp;F)</source>
        <translation>Enclosing characters for F8 (&amp;F)</translation>
    </message>
    <message>
        <source>Shift+F8押下時に囲む文字 (&amp;S)</source>
        <translation>Enclosing characters for Shift+F8 (&amp;S)</translation>
    </message>
</context>
<context>
    <name>CDlgCfgLang</name>
    <message>
        <source>言語の選択</source>
        <translation>Select Language</translation>
    </message>
</context>
<context>
    <name>CDlgCfgRelay</name>
    <message>
        <source>字幕の中継 (Zoom・YouTube)</source>
        <translation>Caption Relay (Zoom, YouTube)</translation>
    </message>
    <message>
        <source>字幕を中継するのは、チームの中で一人だけにしてください。ほかのメンバーも中継すると、同じ字幕が何度も届きます。
URL は合言葉と同じです。設定ファイル (.tvn) には保存されず、あなただけが読めるファイルに保存されます。</source>
        <translation>Only one member of the team should relay the captions. If other members relay too, every caption arrives more than once.
A caption URL is a password: it is not saved in settings files (.tvn) but in a file only you can read.</translation>
    </message>
    <message>
        <source>中継先 %1</source>
        <translation>Target %1</translation>
    </message>
    <message>
        <source>送る</source>
        <translation>&amp;Send</translation>
    </message>
    <message>
        <source>字幕の URL を貼り付けてください</source>
        <translation>Paste the caption URL here</translation>
    </message>
    <message>
        <source> 秒</source>
        <translation> s</translation>
    </message>
    <message>
        <source>URL</source>
        <translation>URL</translation>
    </message>
    <message>
        <source>言語</source>
        <translation>Language</translation>
    </message>
    <message>
        <source>取り消しを待つ時間</source>
        <translation>Hold for withdrawals</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>状態: 未設定</source>
        <translation>State: not set up</translation>
    </message>
    <message>
        <source>送信中</source>
        <translation>sending</translation>
    </message>
    <message>
        <source>再送待ち</source>
        <translation>waiting to retry</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>stopped</translation>
    </message>
    <message>
        <source>%1 秒</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>状態: %1&#x3000;応答: %2&#x3000;待ち: %3 行&#x3000;最後の行の遅れ: %4</source>
        <translation>State: %1   Answer: %2   Waiting: %3 lines   Delay of the last line: %4</translation>
    </message>
    <message>
        <source>中継先 %1 の URL は http:// または https:// で始まる字幕の URL ではありません。</source>
        <translation>The URL of target %1 is not a caption URL starting with http:// or https://.</translation>
    </message>
    <message>
        <source>中継先を保存できませんでした。この実行の間だけ使われます。</source>
        <translation>The targets could not be saved. They are used until the program ends.</translation>
    </message>
</context>
<context>
    <name>CDlgChat</name>
    <message>
        <source>連絡窓 (Ctrl+R)</source>
        <translation>Contact Window (Ctrl+R)</translation>
    </message>
    <message>
        <source>通知時の背景色... (&amp;N)</source>
        <translation>Background Color on &amp;Notification...</translation>
    </message>
    <message>
        <source>カウントダウン開始(&amp;S)</source>
        <translation>Start Countdown (&amp;S)</translation>
    </message>
    <message>
        <source>カウントダウン停止(&amp;H)</source>
        <translation>Stop Countdown (&amp;H)</translation>
    </message>
    <message>
        <source>残り時刻リセット(&amp;R)</source>
        <translation>Reset Remaining Time (&amp;R)</translation>
    </message>
    <message>
        <source>タイマー1分延長(&amp;I)</source>
        <translation>Extend Timer by 1 Minute (&amp;I)</translation>
    </message>
    <message>
        <source>タイマー1分短縮(&amp;D)</source>
        <translation>Shorten Timer by 1 Minute (&amp;D)</translation>
    </message>
</context>
<context>
    <name>CDlgFKey</name>
    <message>
        <source>F1</source>
        <translation>F1</translation>
    </message>
    <message>
        <source>F2</source>
        <translation>F2</translation>
    </message>
    <message>
        <source>F3</source>
        <translation>F3</translation>
    </message>
    <message>
        <source>F4</source>
        <translation>F4</translation>
    </message>
    <message>
        <source>F5</source>
        <translation>F5</translation>
    </message>
    <message>
        <source>F6</source>
        <translation>F6</translation>
    </message>
    <message>
        <source>F7</source>
        <translation>F7</translation>
    </message>
    <message>
        <source>F8-行全体をかっこでくくる</source>
        <translation>F8-Bracket the whole line</translation>
    </message>
    <message>
        <source>F9-入力部へ1回分引く(undo)</source>
        <translation>F9-Pull the last line back into the input (undo)</translation>
    </message>
    <message>
        <source>F10-Windows用</source>
        <translation>F10-Reserved for Windows</translation>
    </message>
    <message>
        <source>F11</source>
        <translation>F11</translation>
    </message>
    <message>
        <source>F12</source>
        <translation>F12</translation>
    </message>
    <message>
        <source>Fキー (CTRL+F)</source>
        <translation>F-keys (CTRL+F)</translation>
    </message>
</context>
<context>
    <name>CDlgInput</name>
    <message>
        <source>入力ウインドウ (CTRL+I)</source>
        <translation>Input Window (CTRL+I)</translation>
    </message>
</context>
<context>
    <name>CDlgLog</name>
    <message>
        <source>ファイル(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>新規作成(&amp;N)</source>
        <translation>&amp;New</translation>
    </message>
    <message>
        <source>開く...(&amp;O)</source>
        <translation>&amp;Open...</translation>
    </message>
    <message>
        <source>名前をつけて保存...(&amp;A)</source>
        <translation>Save &amp;As...</translation>
    </message>
    <message>
        <source>ウインドウを閉じる(&amp;X)</source>
        <translation>&amp;Close Window</translation>
    </message>
    <message>
        <source>表示(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>フォント...(&amp;F)</source>
        <translation>&amp;Font...</translation>
    </message>
    <message>
        <source>背景色...(&amp;B)</source>
        <translation>&amp;Background Color...</translation>
    </message>
    <message>
        <source>先頭へ (&amp;T)</source>
        <translation>Go to &amp;Top</translation>
    </message>
    <message>
        <source>末尾へ (&amp;O)</source>
        <translation>Go to B&amp;ottom</translation>
    </message>
    <message>
        <source>字幕ファイルに書き出す (SRT・WebVTT)...(&amp;E)</source>
        <translation>&amp;Export Subtitles (SRT, WebVTT)...</translation>
    </message>
</context>
<context>
    <name>CDlgMember</name>
    <message>
        <source>入力モニター (Ctrl+M)</source>
        <translation>Input Monitor (Ctrl+M)</translation>
    </message>
    <message>
        <source>通信断の際の背景色... (&amp;L)</source>
        <translation>Background Color When the Connection Is &amp;Lost...</translation>
    </message>
    <message>
        <source>1つ上へ(&amp;U)</source>
        <translation>Move &amp;Up</translation>
    </message>
    <message>
        <source>1つ下へ(&amp;D)</source>
        <translation>Move &amp;Down</translation>
    </message>
</context>
<context>
    <name>CDlgMessage</name>
    <message>
        <source>メッセージ</source>
        <translation>Message</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>CDlgNic</name>
    <message>
        <source>ログイン</source>
        <translation>Log In</translation>
    </message>
    <message>
        <source>LANカード (&amp;L)</source>
        <translation>LAN card (&amp;L)</translation>
    </message>
    <message>
        <source>名前 (&amp;N)</source>
        <translation>Name (&amp;N)</translation>
    </message>
    <message>
        <source>チャンネル (&amp;C)</source>
        <translation>Channel (&amp;C)</translation>
    </message>
    <message>
        <source>班 (&amp;G)</source>
        <translation>Group (&amp;G)</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>CDlgPft</name>
    <message>
        <source>ファイル(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>新規作成(&amp;N)</source>
        <translation>&amp;New</translation>
    </message>
    <message>
        <source>開く... (&amp;O)	Ctrl+O</source>
        <translation>&amp;Open...	Ctrl+O</translation>
    </message>
    <message>
        <source>名前をつけて保存... (&amp;A)	Ctrl+S</source>
        <translation>Save &amp;As...	Ctrl+S</translation>
    </message>
    <message>
        <source>ウインドウを閉じる (&amp;X)</source>
        <translation>&amp;Close Window</translation>
    </message>
    <message>
        <source>編集(&amp;E)</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>1行送信(&amp;T)	F1</source>
        <translation>Send &amp;This Line	F1</translation>
    </message>
    <message>
        <source>複数行一括送信(&amp;M)	Shift+F1</source>
        <translation>Send &amp;Multiple Lines	Shift+F1</translation>
    </message>
    <message>
        <source>すべて選択 (&amp;A)	Ctrl+A</source>
        <translation>Select &amp;All	Ctrl+A</translation>
    </message>
    <message>
        <source>コメント行にする／元に戻す (&amp;K)	Ctrl+K</source>
        <translation>Comment / Uncomment Line (&amp;K)	Ctrl+K</translation>
    </message>
    <message>
        <source>次のコメント行へジャンプ (&amp;N)	Ctrl+↓</source>
        <translation>Jump to &amp;Next Comment Line	Ctrl+Down</translation>
    </message>
    <message>
        <source>前のコメント行へジャンプ (&amp;P)	Ctrl+↑</source>
        <translation>Jump to &amp;Previous Comment Line	Ctrl+Up</translation>
    </message>
    <message>
        <source>複数行送信の区切りを挿入 (&amp;I)	Ctrl+P</source>
        <translation>&amp;Insert Block Separator	Ctrl+P</translation>
    </message>
    <message>
        <source>表示(&amp;V)</source>
        <translation>&amp;View</translation>
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
        <source>前ロール名のフォント...</source>
        <translation>Pre-roll Name Font...</translation>
    </message>
    <message>
        <source>前ロール名の背景色...</source>
        <translation>Pre-roll Name Background Color...</translation>
    </message>
    <message>
        <source>非選択前ロール名の背景色...</source>
        <translation>Background Color of Other Pre-roll Names...</translation>
    </message>
    <message>
        <source>全ウインドウを表示 (&amp;D)</source>
        <translation>&amp;Display All Panes</translation>
    </message>
    <message>
        <source>他と同じ（1.0倍）(&amp;1)</source>
        <translation>Same as Others (1.0x) (&amp;1)</translation>
    </message>
    <message>
        <source>他の5割増（1.5倍）(&amp;5)</source>
        <translation>1.5 Times the Others (&amp;5)</translation>
    </message>
    <message>
        <source>他の2倍（2.0倍）(&amp;2)</source>
        <translation>Twice the Others (2.0x) (&amp;2)</translation>
    </message>
    <message>
        <source>他の3倍（3.0倍）(&amp;3)</source>
        <translation>Three Times the Others (3.0x) (&amp;3)</translation>
    </message>
    <message>
        <source>ウインドウ(&amp;W)</source>
        <translation>&amp;Window</translation>
    </message>
    <message>
        <source>次のウインドウへ移動 (&amp;N)	Ctrl+→</source>
        <translation>&amp;Next Pane	Ctrl+Right</translation>
    </message>
    <message>
        <source>前のウインドウに移動 (&amp;P)	Ctrl+←</source>
        <translation>&amp;Previous Pane	Ctrl+Left</translation>
    </message>
</context>
<context>
    <name>CDlgPftMonitor</name>
    <message>
        <source>前ロールモニター (Ctrl+T)</source>
        <translation>Pre-roll Monitor (Ctrl+T)</translation>
    </message>
</context>
<context>
    <name>CDlgSubtitleExport</name>
    <message>
        <source>字幕ファイルに書き出す</source>
        <translation>Export Subtitles</translation>
    </message>
    <message>
        <source>参照...</source>
        <translation>&amp;Browse...</translation>
    </message>
    <message>
        <source>SRT (.srt)</source>
        <translation>SRT (.srt)</translation>
    </message>
    <message>
        <source>WebVTT (.vtt)</source>
        <translation>WebVTT (.vtt)</translation>
    </message>
    <message>
        <source> 秒</source>
        <translation> s</translation>
    </message>
    <message>
        <source>字幕の記録 (.vtt)</source>
        <translation>Caption transcript (.vtt)</translation>
    </message>
    <message>
        <source>形式</source>
        <translation>Format</translation>
    </message>
    <message>
        <source>時刻をずらす</source>
        <translation>Shift times by</translation>
    </message>
    <message>
        <source>録画が最初の字幕より N 秒前に始まったときは +N 秒にします。0 秒より前になる字幕は、終わりも 0 秒より前なら省き、そうでなければ 0 秒から始めます。</source>
        <translation>When the recording started N seconds before the first caption, enter +N seconds. A subtitle moved before 0 is left out when it also ends before 0, else it starts at 0.</translation>
    </message>
    <message>
        <source>書き出す...</source>
        <translation>&amp;Export...</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>字幕の記録 (*.vtt)</source>
        <translation>Caption transcripts (*.vtt)</translation>
    </message>
    <message>
        <source>すべてのファイル (*)</source>
        <translation>All files (*)</translation>
    </message>
    <message>
        <source>SRT (*.srt)</source>
        <translation>SRT (*.srt)</translation>
    </message>
    <message>
        <source>WebVTT (*.vtt)</source>
        <translation>WebVTT (*.vtt)</translation>
    </message>
    <message>
        <source>書き出せませんでした。</source>
        <translation>The subtitles could not be written.</translation>
    </message>
</context>
<context>
    <name>CFontColorDialog</name>
    <message>
        <source>フォント</source>
        <translation>Font</translation>
    </message>
    <message>
        <source>色(&amp;C):</source>
        <translation>&amp;Color:</translation>
    </message>
</context>
<context>
    <name>CWebServer</name>
    <message>
        <source>ポート %1 で待ち受けています。</source>
        <translation>Listening on port %1.</translation>
    </message>
    <message>
        <source>待ち受けできませんでした。ポート %1 はどれも使用中か、使う権限がありません。</source>
        <translation>Could not listen. Ports %1 are all in use or not permitted.</translation>
    </message>
    <message>
        <source>停止中です。使用するとポート %1 で待ち受けます。</source>
        <translation>Stopped. When used, it will listen on port %1.</translation>
    </message>
    <message>
        <source>停止中です。ポート %1 はどれも使用中か、使う権限がありません。</source>
        <translation>Stopped. Ports %1 are all in use or not permitted.</translation>
    </message>
    <message>
        <source>[Webサーバー: 待ち受けできません]</source>
        <translation>[Web server: cannot listen]</translation>
    </message>
    <message>
        <source>Webサーバーは停止中です</source>
        <translation>The web server is stopped</translation>
    </message>
</context>
<context>
    <name>CStringTable</name>
    <message>
        <source>tavrin</source>
        <translation>tavrin</translation>
    </message>
    <message>
        <source>ネットワーク初期化でエラーが発生しました。</source>
        <translation>An error occurred while initializing the network.</translation>
    </message>
    <message>
        <source>重大なエラー（動作が継続できません）</source>
        <translation>Fatal error (the program cannot continue)</translation>
    </message>
    <message>
        <source>：</source>
        <translation>:</translation>
    </message>
    <message>
        <source> </source>
        <translation> </translation>
    </message>
    <message>
        <source>30秒前です。</source>
        <translation>30 seconds left.</translation>
    </message>
    <message>
        <source>／</source>
        <translation>/</translation>
    </message>
    <message>
        <source>交代です。</source>
        <translation>Time to switch.</translation>
    </message>
    <message>
        <source>[動作]</source>
        <translation>[Running]</translation>
    </message>
    <message>
        <source>[停止]</source>
        <translation>[Stopped]</translation>
    </message>
    <message>
        <source>タイマーを開始しました（残り%d分%d秒）。</source>
        <translation>Timer started (%d min %d s left).</translation>
    </message>
    <message>
        <source>タイマーを停止しました。</source>
        <translation>Timer stopped.</translation>
    </message>
    <message>
        <source>同じネットワークポートが別のプログラムに使われています。<byte value="xd"/>
別チャンネルを指定して再ログインしてみてください。</source>
        <translation>The same network port is being used by another program.<byte value="xd"/>
Please choose another channel and log in again.</translation>
    </message>
    <message>
        <source>ネットワークエラーです。接続を再確認してください。</source>
        <translation>Network error. Please check the connection again.</translation>
    </message>
    <message>
        <source>（接続可能なLANがありません）</source>
        <translation>(No LAN available to connect to)</translation>
    </message>
    <message>
        <source>エラー</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>tavrin設定ファイル (*.tvn)|*.tvn|all files (*.*)|*.*||</source>
        <translation>tavrin settings files (*.tvn)|*.tvn|all files (*.*)|*.*||</translation>
    </message>
    <message>
        <source>テキストファイル (*.txt)|*.txt|Unicode前ロールファイル (*.tvu)|*.tvu|UTF-8前ロールファイル (*.tv8)|*.tv8|全てのファイル (*.*)|*.*||</source>
        <translation>Text files (*.txt)|*.txt|Unicode pre-roll files (*.tvu)|*.tvu|UTF-8 pre-roll files (*.tv8)|*.tv8|All files (*.*)|*.*||</translation>
    </message>
    <message>
        <source>新規ファイル作成</source>
        <translation>Create new file</translation>
    </message>
    <message>
        <source>編集中の内容を保存しますか？（「はい」で保存、「いいえ」で破棄）</source>
        <translation>Save the changes you are editing? (&quot;Yes&quot; saves, &quot;No&quot; discards)</translation>
    </message>
    <message>
        <source>名前</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>接続</source>
        <translation>Connection</translation>
    </message>
    <message>
        <source>入力中の内容</source>
        <translation>Typing</translation>
    </message>
    <message>
        <source>IPアドレス</source>
        <translation>IP address</translation>
    </message>
    <message>
        <source>無題</source>
        <translation>Untitled</translation>
    </message>
    <message>
        <source>ロール</source>
        <translation>Pre-roll </translation>
    </message>
    <message>
        <source>班内のQuorel利用者が多すぎるため、一部メンバーと通信できません。<byte value="xd"/>
班かチャンネルの変更をご検討ください。</source>
        <translation>There are too many Quorel users in the group, so some members cannot be reached.<byte value="xd"/>
Please consider changing the group or the channel.</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>バージョン</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>tavrin - subtitling application<byte value="xd"/>
<byte value="xd"/>
(version information not available)</source>
        <translation>tavrin - subtitling application<byte value="xd"/>
<byte value="xd"/>
(version information not available)</translation>
    </message>
    <message>
        <source>ログを保存するフォルダを選んでください。</source>
        <translation>Choose the folder in which to save the logs.</translation>
    </message>
    <message>
        <source>これ以降は、新しいログ保存フォルダに保存されます。</source>
        <translation>From now on, logs are saved in the new log folder.</translation>
    </message>
    <message>
        <source>動作中、異常な応答が一部にありました。<byte value="xd"/>
動作ログを保存し、支障がなければ開発者に送付いただけると助かります。</source>
        <translation>Some abnormal responses occurred while the program was running.<byte value="xd"/>
We would be grateful if you saved the operation log and, if you do not mind, sent it to the developers.</translation>
    </message>
    <message>
        <source>HTTP/1.0 503 Service Unavailable<byte value="xd"/>
</source>
        <translation>HTTP/1.0 503 Service Unavailable<byte value="xd"/>
</translation>
    </message>
    <message>
        <source>HTTP/1.0 501 Not Implemented<byte value="xd"/>
</source>
        <translation>HTTP/1.0 501 Not Implemented<byte value="xd"/>
</translation>
    </message>
    <message>
        <source>HTTP/1.0 200 OK<byte value="xd"/>
</source>
        <translation>HTTP/1.0 200 OK<byte value="xd"/>
</translation>
    </message>
    <message>
        <source>&lt;!DOCTYPE HTML PUBLIC &quot;-//W3C//DTD HTML 4.01//EN&quot;<byte value="xd"/>
&quot;http://www.w3.org/TR/html4/strict.dtd&quot;&gt;<byte value="xd"/>
&lt;html&gt;&lt;head&gt;&lt;meta http-equiv=&quot;Content-Type&quot; content=&quot;text/html; charset=UTF-8&quot;&gt;&lt;title&gt;tavrin情報保障字幕&lt;/title&gt;&lt;meta name=&quot;apple-mobile-web-app-capable&quot; content=&quot;yes&quot;&gt;&lt;/head&gt;&lt;body style=&quot;font-family:sans-serif; font-size:xx-large; color:#%s; background-color:#%s;&quot; onLoad=&quot;setInterval(&apos;location.reload()&apos;,%d)&quot;&gt;&lt;p style=&quot;font-size:%d%%; font-weight:bold; line-height:%d%%; margin:0; padding:0;&quot;&gt;%s&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;!DOCTYPE HTML PUBLIC &quot;-//W3C//DTD HTML 4.01//EN&quot;<byte value="xd"/>
&quot;http://www.w3.org/TR/html4/strict.dtd&quot;&gt;<byte value="xd"/>
&lt;html&gt;&lt;head&gt;&lt;meta http-equiv=&quot;Content-Type&quot; content=&quot;text/html; charset=UTF-8&quot;&gt;&lt;title&gt;tavrin live captions&lt;/title&gt;&lt;meta name=&quot;apple-mobile-web-app-capable&quot; content=&quot;yes&quot;&gt;&lt;/head&gt;&lt;body style=&quot;font-family:sans-serif; font-size:xx-large; color:#%s; background-color:#%s;&quot; onLoad=&quot;setInterval(&apos;location.reload()&apos;,%d)&quot;&gt;&lt;p style=&quot;font-size:%d%%; font-weight:bold; line-height:%d%%; margin:0; padding:0;&quot;&gt;%s&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>文字色は6桁の16進数で指定してください。使える文字は半角の0～9,A～F,a～fです。</source>
        <translation>Enter the text color as 6 hexadecimal digits. Allowed characters are 0-9, A-F and a-f.</translation>
    </message>
    <message>
        <source>背景色は6桁の16進数で指定してください。使える文字は半角の0～9,A～F,a～fです。</source>
        <translation>Enter the background color as 6 hexadecimal digits. Allowed characters are 0-9, A-F and a-f.</translation>
    </message>
    <message>
        <source>文字サイズは、10～1000[％]の範囲で指定してください。</source>
        <translation>Enter a font size from 10 to 1000 [percent].</translation>
    </message>
    <message>
        <source>行の高さは、100～200[％]の範囲で指定してください。</source>
        <translation>Enter a line height from 100 to 200 [percent].</translation>
    </message>
    <message>
        <source>更新間隔は、500～100000[ミリ秒]の範囲で指定してください。</source>
        <translation>Enter a reload interval from 500 to 100000 [milliseconds].</translation>
    </message>
    <message>
        <source>行数は1～15行の範囲で指定してください。</source>
        <translation>Enter a number of lines from 1 to 15.</translation>
    </message>
    <message>
        <source>1行の文字数は5～41字の範囲で指定してください。</source>
        <translation>Enter a number of letters per line from 5 to 41.</translation>
    </message>
    <message>
        <source>設定を全て初期化します。<byte value="xd"/>
よければ「OK」を、やめる場合は「キャンセル」を選択してください。</source>
        <translation>All settings will be reset.<byte value="xd"/>
Choose &quot;OK&quot; to go ahead, or &quot;Cancel&quot; to stop.</translation>
    </message>
    <message>
        <source>確認</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>	（1行取り消し）</source>
        <translation>	(one line withdrawn)</translation>
    </message>
    <message>
        <source>	（画面クリア）</source>
        <translation>	(screen cleared)</translation>
    </message>
    <message>
        <source>	（%1!d!行前の位置に補完）</source>
        <translation>	(filled in %1!d! lines earlier)</translation>
    </message>
    <message>
        <source>ログ : </source>
        <translation>Log : </translation>
    </message>
    <message>
        <source>(Ctrl+N)</source>
        <translation>(Ctrl+N)</translation>
    </message>
    <message>
        <source>の前ロールをモニター中</source>
        <translation>&apos;s pre-roll (monitoring)</translation>
    </message>
    <message>
        <source>ファイルを格納するメモリ領域が確保できません。<byte value="xd"/>
ファイルの大きさを確認した上で、大きすぎない場合は本アプリケーションを再起動してください。</source>
        <translation>Cannot allocate memory to hold the file.<byte value="xd"/>
Check the size of the file; if it is not too large, please restart this application.</translation>
    </message>
    <message>
        <source>ファイル読み込みでエラーが発生しました。<byte value="xd"/>
他のプログラムでファイルを開いていたら、そちらを終了してください。</source>
        <translation>An error occurred while reading the file.<byte value="xd"/>
If the file is open in another program, please close that program.</translation>
    </message>
    <message>
        <source>ファイルの大きさの確認の際にエラーが発生しました。<byte value="xd"/>
他のプログラムでファイルを開いていたら、そちらを終了してください。</source>
        <translation>An error occurred while checking the size of the file.<byte value="xd"/>
If the file is open in another program, please close that program.</translation>
    </message>
    <message>
        <source>ファイルへのアクセスでエラーが発生しました。<byte value="xd"/>
他のプログラムでファイルを開いていたら、そちらを終了してください。</source>
        <translation>An error occurred while accessing the file.<byte value="xd"/>
If the file is open in another program, please close that program.</translation>
    </message>
    <message>
        <source>(オフライン)</source>
        <translation>(offline)</translation>
    </message>
    <message>
        <source>%1!d!チャンネル %2!c!班</source>
        <translation>Channel %1!d! Group %2!c!</translation>
    </message>
    <message>
        <source>本当に終了してもいいですか？</source>
        <translation>Do you really want to exit?</translation>
    </message>
    <message>
        <source>(CTRL+D)</source>
        <translation>(CTRL+D)</translation>
    </message>
    <message>
        <source>パラメータが範囲外です。設定ダイアログをよく読んで、再設定してください。</source>
        <translation>A parameter is out of range. Please read the settings dialog carefully and set it again.</translation>
    </message>
    <message>
        <source>フォルダを開けませんでした。<byte value="xd"/>
（エラーコード：%1!lu!）</source>
        <translation>Could not open the folder.<byte value="xd"/>
(Error code: %1!lu!)</translation>
    </message>
    <message>
        <source>前ロールファイル (*.txt,*.tvu,*.tv8)|*.txt;*.tvu;*.tv8|全てのファイル (*.*)|*.*||</source>
        <translation>Pre-roll files (*.txt,*.tvu,*.tv8)|*.txt;*.tvu;*.tv8|All files (*.*)|*.*||</translation>
    </message>
    <message>
        <source>)]}｣）〕］｝〉》」』】&gt;＞,.，．、。ー－！？!?</source>
        <translation>)]}｣）〕］｝〉》」』】&gt;＞,.，．、。ー－！？!?</translation>
    </message>
    <message>
        <source>ＭＳ Ｐゴシック</source>
        <translation>ＭＳ Ｐゴシック</translation>
    </message>
    <message>
        <source>「</source>
        <translation>「</translation>
    </message>
    <message>
        <source>」</source>
        <translation>」</translation>
    </message>
    <message>
        <source>（</source>
        <translation>（</translation>
    </message>
    <message>
        <source>）</source>
        <translation>）</translation>
    </message>
    <message>
        <source>言語選択を有効にするには、(1)設定を保存、(2)tavrinを再起動してください。</source>
        <translation>To apply the language choice, (1) save the settings and (2) restart tavrin.</translation>
    </message>
</context>
<context>
    <name>CToolWindow</name>
    <message>
        <source>フォント... (&amp;F)</source>
        <translation>&amp;Font...</translation>
    </message>
    <message>
        <source>背景色... (&amp;B)</source>
        <translation>&amp;Background Color...</translation>
    </message>
</context>
</TS>
