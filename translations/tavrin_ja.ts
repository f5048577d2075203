<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<!-- The program's own texts are Japanese. This file translates nothing: it exists so that the
     language search finds a Japanese library and a Japanese desktop keeps the built-in texts
     rather than falling through to US English. -->
<context>
    <name>CStringTable</name>
    <message>
        <source>tavrin</source>
        <translation>tavrin</translation>
    </message>
</context>
</TS>
