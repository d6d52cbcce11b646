<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>main</name>
    <message>
        <source>Kalvor</source>
        <translation>Kalvor</translation>
    </message>
    <message>
        <source>修图</source>
        <translation>を編集</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>セット</translation>
    </message>
</context>
</TS>
