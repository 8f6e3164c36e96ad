<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>Network</name>
    <message numerus="yes">
        <source>%n byte(s)</source>
        <translation>
            <numerusform>%n byte</numerusform>
            <numerusform>%n bytes</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>norvane::ui::SettingsView</name>
    <message numerus="yes">
        <source>%n minute(s)</source>
        <extracomment>A choice of &quot;Check for updates every:&quot;; keep it short, five of them share one row</extracomment>
        <translation>
            <numerusform>%n minute</numerusform>
            <numerusform>%n minutes</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n hour(s)</source>
        <extracomment>A choice of &quot;Check for updates every:&quot;; keep it short, five of them share one row</extracomment>
        <translation>
            <numerusform>%n hour</numerusform>
            <numerusform>%n hours</numerusform>
        </translation>
    </message>
</context>
</TS>
