#pragma once
// The one document of the program: the path and name of the current image,
// the recognised texts by image path, and the list of views showing it. The
// views come and go (the right area switches between image and capture view);
// the document outlives them. User-interface thread only. Emits
// statusPanesChanged when the status-bar texts change and pathChanged when
// the current path does.

#include "CommandTarget.h"
#include "config/CommandIds.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <map>
#include <vector>

class IDocumentView;

class CScrivaDoc : public QObject, public ICommandTarget
{
    Q_OBJECT
public:
    static constexpr int StatusPaneCount = 5;

    explicit CScrivaDoc(QObject* parent = nullptr);
    ~CScrivaDoc() override;

    // Current image file; empty when none is open.
    const QString& PathName() const { return m_pathName; }
    QString Title() const; // file name of the path, or the default name
    void SetPathName(const QString& path);
    void SetDefaultTitle(const QString& title) { m_defaultTitle = title; }
    virtual bool HasImage() const;

    // Rewrites the status-bar panes: scriva::status::kAllPanes or kZoomPane.
    // Nothing happens without a current image.
    void UpdateStatus(int what);
    void SetListPosition(int index, int count);

    void AddView(IDocumentView* view);
    void RemoveView(IDocumentView* view);
    const std::vector<IDocumentView*>& Views() const { return m_views; }
    void updateAllViews(int hint);

    // Recognised text of each image, by full path, in path order.
    std::map<QString, QString>& RecognisedTexts() { return m_texts; }
    const std::map<QString, QString>& RecognisedTexts() const { return m_texts; }

    // Asked before the frame closes; false keeps the program running.
    virtual bool SaveModified() { return true; }

    bool OnCommand(int id) override;
    std::optional<CommandState> OnUpdateCommand(int id) const override;

signals:
    void statusPanesChanged(int what, const QStringList& texts);
    void pathChanged(const QString& path);

private:
    QString m_pathName;
    QString m_defaultTitle;
    int m_listIndex = -1;
    int m_listCount = 0;
    std::vector<IDocumentView*> m_views;
    std::map<QString, QString> m_texts;
};
