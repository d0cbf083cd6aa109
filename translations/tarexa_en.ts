<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>CsvPreviewDialog</name>
    <message numerus="yes">
        <source>Lines left out: %n</source>
        <translation>
            <numerusform>Lines left out: %n</numerusform>
            <numerusform>Lines left out: %n</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Rows left out: %n</source>
        <translation>
            <numerusform>Rows left out: %n</numerusform>
            <numerusform>Rows left out: %n</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>Tarexa</name>
    <message numerus="yes">
        <source>The scale sent %n PLU(s) without a number from 0 to 998. They were left out of the table; check the PLU numbers stored in the scale.</source>
        <translation>
            <numerusform>The scale sent %n PLU without a number from 0 to 998. It was left out of the table; check the PLU numbers stored in the scale.</numerusform>
            <numerusform>The scale sent %n PLUs without a number from 0 to 998. They were left out of the table; check the PLU numbers stored in the scale.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>And %n more element(s) of the file that are no PLU element.</source>
        <translation>
            <numerusform>And %n more element of the file that is no PLU element.</numerusform>
            <numerusform>And %n more elements of the file that are no PLU element.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>TarexaCli</name>
    <message numerus="yes">
        <source>%n PLU(s) would be sent</source>
        <translation>
            <numerusform>%n PLU would be sent</numerusform>
            <numerusform>%n PLUs would be sent</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n deleted.</source>
        <translation>
            <numerusform>%n deleted.</numerusform>
            <numerusform>%n deleted.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n difference(s).</source>
        <translation>
            <numerusform>%n difference.</numerusform>
            <numerusform>%n differences.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n journal entry(s) removed,</source>
        <translation>
            <numerusform>%n journal entry removed,</numerusform>
            <numerusform>%n journal entries removed,</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>all older than %n day(s).</source>
        <translation>
            <numerusform>all older than %n day.</numerusform>
            <numerusform>all older than %n days.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n value(s) refused; nothing was written.</source>
        <translation>
            <numerusform>%n value refused; nothing was written.</numerusform>
            <numerusform>%n values refused; nothing was written.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n PLU(s) sent, %1 accepted, %2 refused</source>
        <translation>
            <numerusform>%n PLU sent, %1 accepted, %2 refused</numerusform>
            <numerusform>%n PLUs sent, %1 accepted, %2 refused</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n PLU(s) deleted</source>
        <translation>
            <numerusform>%n PLU deleted</numerusform>
            <numerusform>%n PLUs deleted</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n PLU(s) read</source>
        <translation>
            <numerusform>%n PLU read</numerusform>
            <numerusform>%n PLUs read</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>The scale sent %n PLU(s) without a number from 0 to 998; they were left out.</source>
        <translation>
            <numerusform>The scale sent %n PLU without a number from 0 to 998; it was left out.</numerusform>
            <numerusform>The scale sent %n PLUs without a number from 0 to 998; they were left out.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n problem(s) in %1.</source>
        <translation>
            <numerusform>%n problem in %1.</numerusform>
            <numerusform>%n problems in %1.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1/%2 PLUs to %n scale(s)</source>
        <translation>
            <numerusform>%1/%2 PLUs to %n scale</numerusform>
            <numerusform>%1/%2 PLUs to %n scales</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n value(s) or element(s) of %1 were left out, and --delete-missing would take their PLUs for PLUs the file lacks: nothing was sent or deleted. Correct the file (&apos;tarexa-cli check %2&apos; lists every problem) and run again.</source>
        <translation>
            <numerusform>%n value or element of %1 was left out, and --delete-missing would take its PLU for a PLU the file lacks: nothing was sent or deleted. Correct the file (&apos;tarexa-cli check %2&apos; lists every problem) and run again.</numerusform>
            <numerusform>%n values or elements of %1 were left out, and --delete-missing would take their PLUs for PLUs the file lacks: nothing was sent or deleted. Correct the file (&apos;tarexa-cli check %2&apos; lists every problem) and run again.</numerusform>
        </translation>
    </message>
</context>
</TS>
