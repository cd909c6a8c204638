#include "app/frame/FrameDocumentHost.h"

#include "app/frame/CMainFrame.h"
#include "config/SettingsKeys.h"
#include "image/IThumbList.h"
#include "image/IWindowServices.h"
#include "ocr/ui/CRecognizeView.h"
#include "thumbs/ui/CThumbView.h"

namespace {

// The thumbnail column as the document asks for it.
class ThumbListAdapter : public IThumbList
{
public:
    explicit ThumbListAdapter(CMainFrame& frame) : m_frame(frame) {}

    int ItemCount() const override { return view() ? view()->ItemCount() : 0; }
    int CurrentIndex() const override { return view() ? view()->CurrentIndex() : -1; }
    int IndexOfPath(const QString& path) const override
    {
        for (int i = 0; i < ItemCount(); ++i) {
            if (view()->PathAt(i) == path)
                return i;
        }
        return -1;
    }
    void AddFile(const QString& path) override
    {
        if (view())
            view()->AddFile(path);
    }
    bool SelectItem(int flags, int index) override
    {
        return view() && view()->SelectItem(flags, index);
    }
    bool GetNextPath(QString& path, bool move) override
    {
        return view() && view()->GetNextPath(path, move);
    }
    bool GetPrevPath(QString& path, bool move) override
    {
        return view() && view()->GetPrevPath(path, move);
    }
    void OpenFirst() override
    {
        if (view())
            view()->OpenFirst();
    }
    void OpenLast() override
    {
        if (view())
            view()->OpenLast();
    }
    bool IsFirst() const override { return !view() || view()->IsFirst(); }
    bool IsLast() const override { return !view() || view()->IsLast(); }

private:
    CThumbView* view() const { return m_frame.thumbView(); }

    CMainFrame& m_frame;
};

} // namespace

DocumentHost MakeDocumentHost(CMainFrame& frame, const FrameServices& services)
{
    DocumentHost host;
    CMainFrame* f = &frame;
    const FrameServices* s = &services;
    host.string = [s](int id) { return s->text(id); };
    host.showText = [f, s](const QString& text) {
        s->window->Tell(f, text, IWindowServices::Icon::Critical);
    };
    host.showMessage = [f, s](int id, bool) { s->window->Tell(f, id); };
    host.askYesNo = [f, s](const QString& text) { return s->window->AskYesNo(f, text); };
    host.promptSaveName = [f, s](QString& name, int& type, const QString& title) {
        return s->promptSaveName(f, name, type, title);
    };
    host.rightAreaMode = [f] { return f->RightAreaMode(); };
    host.programBusy = [s] { return s->busy(); };
    host.switchRightPane = [f] { f->SwitchRightPane(); };
    host.switchRightPaneLater = [f] { f->PostSwitchRightPane(); };
    host.showResultPane = [f](bool show) { f->ShowResultPane(show); };
    host.setResultText = [f](const QString& path, const QString& text) {
        if (f->recognizeView())
            f->recognizeView()->SetResultText(path, text);
    };
    host.keepResultEdits = [f] {
        if (f->recognizeView())
            f->recognizeView()->KeepEdits();
    };
    host.addRecentFile = [s](const QString& path) { s->addRecentFile(path); };
    auto thumbs = std::make_shared<ThumbListAdapter>(frame);
    host.thumbs = [thumbs]() -> IThumbList* { return thumbs.get(); };
    host.presetAreaFlag = [f] { return f->PresetAreaFlag(); };
    host.clearPresetAreaFlag = [f] { f->SetPresetAreaFlag(false); };
    host.presetAreaConfirmed = [f, s] {
        f->SetPresetAreaFlag(true);
        s->setSetting(scriva::settings::kPageSizeName,
                      QLatin1String(scriva::settings::kPresetPageName));
        f->PostSwitchRightPane();
    };
    return host;
}
