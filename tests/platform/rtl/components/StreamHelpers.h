// Building, writing and reading the test trees.
#pragma once

#include "TestComponents.h"

#include <QDebug>

inline QByteArray StreamBytes(TMemoryStream& ms)
{
    return QByteArray(static_cast<const char*>(ms.Memory()), qsizetype(ms.Size()));
}

inline QByteArray BinaryToText(const QByteArray& bin)
{
    TMemoryStream in, out;
    in.WriteBytes(bin);
    in.SetPosition(0);
    ObjectBinaryToText(&in, &out);
    return StreamBytes(out);
}

inline QByteArray TextToBinary(const QByteArray& text)
{
    TMemoryStream in, out;
    in.WriteBytes(text);
    in.SetPosition(0);
    ObjectTextToBinary(&in, &out);
    return StreamBytes(out);
}

// A root with every kind of value, a collection, nested children and references forwards,
// backwards and into a nested child.
inline TTestRoot* BuildTree()
{
    RegisterTestClasses();
    auto* root = Create<TTestRoot>(nullptr);
    root->SetName(QStringLiteral("dmTest"));
    auto* k = Create<TAllKinds>(root);
    k->SetName(QStringLiteral("First"));
    k->SetTag(7);
    k->Int32 = -40000;
    k->Big = int64_t(1) << 40;
    k->Ext = 0.1;
    k->Money = Currency::FromRaw(-123456789);
    k->When = 45000.5;
    k->Text = QStringLiteral("It's a \"quote\"\r\n") + QString::fromUtf8("Счёт-фактура № 5 — ") + QString(80, u'x');
    k->Shade = shBlue;
    k->Shades = TShades{shRed, shGrey};
    k->Flag = true;
    k->Font()->Name = QStringLiteral("Courier New");
    k->Font()->Size = 11;
    auto* c0 = static_cast<TColumnItem*>(k->Columns()->Add());
    c0->Title = QString::fromUtf8("Сумма 'НДС'");
    auto* c1 = static_cast<TColumnItem*>(k->Columns()->Add());
    c1->Width = 10;
    k->OnPing = TNotifyEvent(root, &TTestRoot::Ping);
    for (int i = 0; i < 40; ++i)
        k->Blob.append(char(i * 7));
    k->Samples = {1.5f, 0.1f, -3e38f};

    auto* panel = Create<TPanelLike>(root);
    panel->SetName(QStringLiteral("Panel"));
    panel->Caption = QStringLiteral("p");
    auto* kidA = Create<TChildLike>(root);
    kidA->SetName(QStringLiteral("KidA"));
    kidA->SetParentComponent(panel);
    auto* kidB = Create<TChildLike>(root);
    kidB->SetName(QStringLiteral("KidB"));
    kidB->SetParentComponent(panel);
    kidA->Peer = k;       // backwards
    kidB->Peer = kidA;
    k->SetLink(kidB);     // forwards, into the panel
    return root;
}
