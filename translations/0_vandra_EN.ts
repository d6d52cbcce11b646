<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>main</name>
    <message>
        <source>Kalvor</source>
        <translation>Kalvor</translation>
    </message>
    <message>
        <source>修图</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Setting</translation>
    </message>
</context>
</TS>
