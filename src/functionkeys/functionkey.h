#pragma once

#include <QList>
#include <QString>

// One entry of the function-key table: the key code of F1..F12 and the
// command text sent when the key is pressed, stored literally as typed.
struct FunctionKey
{
    int key = 0;
    QString text;
};

// The append-CR or append-LF option of one function key.
struct FunctionFlag
{
    int key = 0;
    bool flag = false;
};

using FunctionKeyList = QList<FunctionKey>;
using FunctionFlagList = QList<FunctionFlag>;

constexpr int functionKeyCount = 12;
