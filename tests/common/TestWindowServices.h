#pragma once
// The window services of the tests: texts from a table (or none), every box
// recorded with the answer the test set, folder choices from the test, and
// posted tasks run from the event loop. Test thread only, except Post.

#include "image/IWindowServices.h"

#include <QCoreApplication>
#include <QList>
#include <QStringList>
#include <functional>

class TestWindowServices : public IWindowServices
{
public:
    struct Box
    {
        QWidget* parent;
        QString text;
        Buttons buttons;
        Icon icon;
        QString caption;
    };

    std::function<QString(int)> texts;     // pack texts; empty without
    Button answer = No;                    // to every box with more than OK
    std::function<void(const Box&)> onBox; // runs while the "box" is open
    QList<Box> boxes;
    QString folder; // the folder chooser's answer
    QStringList folderTitles;
    int busyCursor = 0; // cursors set and not yet restored

    QStringList BoxTexts() const
    {
        QStringList all;
        for (const Box& box : boxes)
            all << box.text;
        return all;
    }

    QString Text(int id) const override { return texts ? texts(id) : QString(); }
    Button Ask(QWidget* parent, const QString& text, Buttons buttons, Icon icon, Button,
               const QString& caption) override
    {
        boxes << Box{parent, text, buttons, icon, caption};
        if (onBox)
            onBox(boxes.last());
        return buttons == Ok ? Ok : answer;
    }
    QString ChooseFolder(QWidget*, const QString& title, const QString&) override
    {
        folderTitles << title;
        return folder;
    }
    void SetBusyCursor(bool on) override { busyCursor += on ? 1 : -1; }
    void Post(std::function<void()> task) override
    {
        QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(task),
                                  Qt::QueuedConnection);
    }
};
