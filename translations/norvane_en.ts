<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>Activity</name>
    <message numerus="yes">
        <source>%n open PR(s)</source>
        <extracomment>On a repository&apos;s card of the dashboard</extracomment>
        <translation>
            <numerusform>%n open PR</numerusform>
            <numerusform>%n open PRs</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n comment(s)</source>
        <translation>
            <numerusform>%n comment</numerusform>
            <numerusform>%n comments</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Labels: %1 and %n more</source>
        <translation>
            <numerusform>Labels: %1 and %n more</numerusform>
            <numerusform>Labels: %1 and %n more</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Environments: %1 and %n more</source>
        <translation>
            <numerusform>Environments: %1 and %n more</numerusform>
            <numerusform>Environments: %1 and %n more</numerusform>
        </translation>
    </message>
</context>
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
    <name>PRRow</name>
    <message numerus="yes">
        <source>%n review comment(s)</source>
        <translation>
            <numerusform>%n review comment</numerusform>
            <numerusform>%n review comments</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>PullRequestText</name>
    <message numerus="yes">
        <source>%n review request(s)</source>
        <extracomment>In the tray icon&apos;s tooltip, one of the parts after &quot;N pull requests need you:&quot;</extracomment>
        <translation>
            <numerusform>%n review request</numerusform>
            <numerusform>%n review requests</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n assigned to you</source>
        <extracomment>In the tray icon&apos;s tooltip, one of the parts after &quot;N pull requests need you:&quot;</extracomment>
        <translation>
            <numerusform>%n assigned to you</numerusform>
            <numerusform>%n assigned to you</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n with changes requested</source>
        <extracomment>In the tray icon&apos;s tooltip, one of the parts after &quot;N pull requests need you:&quot;</extracomment>
        <translation>
            <numerusform>%n with changes requested</numerusform>
            <numerusform>%n with changes requested</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n approved</source>
        <extracomment>In the tray icon&apos;s tooltip, one of the parts after &quot;N pull requests need you:&quot;</extracomment>
        <translation>
            <numerusform>%n approved</numerusform>
            <numerusform>%n approved</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n pull request(s) need(s) you: %1</source>
        <extracomment>The tray icon&apos;s tooltip; %1 lists the parts, such as &quot;2 review requests, 1 approved&quot;</extracomment>
        <translation>
            <numerusform>%n pull request needs you: %1</numerusform>
            <numerusform>%n pull requests need you: %1</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>RelativeTime</name>
    <message numerus="yes">
        <source>%n sec. ago</source>
        <translation>
            <numerusform>%n sec. ago</numerusform>
            <numerusform>%n sec. ago</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>in %n sec.</source>
        <translation>
            <numerusform>in %n sec.</numerusform>
            <numerusform>in %n sec.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n min. ago</source>
        <translation>
            <numerusform>%n min. ago</numerusform>
            <numerusform>%n min. ago</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>in %n min.</source>
        <translation>
            <numerusform>in %n min.</numerusform>
            <numerusform>in %n min.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n hr. ago</source>
        <translation>
            <numerusform>%n hr. ago</numerusform>
            <numerusform>%n hr. ago</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>in %n hr.</source>
        <translation>
            <numerusform>in %n hr.</numerusform>
            <numerusform>in %n hr.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n day(s) ago</source>
        <translation>
            <numerusform>%n day ago</numerusform>
            <numerusform>%n days ago</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>in %n day(s)</source>
        <translation>
            <numerusform>in %n day</numerusform>
            <numerusform>in %n days</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n wk. ago</source>
        <translation>
            <numerusform>%n wk. ago</numerusform>
            <numerusform>%n wk. ago</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>in %n wk.</source>
        <translation>
            <numerusform>in %n wk.</numerusform>
            <numerusform>in %n wk.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n mo. ago</source>
        <translation>
            <numerusform>%n mo. ago</numerusform>
            <numerusform>%n mo. ago</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>in %n mo.</source>
        <translation>
            <numerusform>in %n mo.</numerusform>
            <numerusform>in %n mo.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n yr. ago</source>
        <translation>
            <numerusform>%n yr. ago</numerusform>
            <numerusform>%n yr. ago</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>in %n yr.</source>
        <translation>
            <numerusform>in %n yr.</numerusform>
            <numerusform>in %n yr.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>norvane::ui::PullRequestTab</name>
    <message numerus="yes">
        <source>Snoozed %n</source>
        <extracomment>The button that lists the snoozed pull requests, with their count</extracomment>
        <translation>
            <numerusform>Snoozed %n</numerusform>
            <numerusform>Snoozed %n</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>norvane::ui::SectionsEditor</name>
    <message numerus="yes">
        <source>An account holds at most %n section(s).</source>
        <translation>
            <numerusform>An account holds at most %n section.</numerusform>
            <numerusform>An account holds at most %n sections.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Matches %n pull request(s).</source>
        <translation>
            <numerusform>Matches %n pull request.</numerusform>
            <numerusform>Matches %n pull requests.</numerusform>
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
