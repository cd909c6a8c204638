#include "app/frame/FrameDocumentHost.h"

#include "app/frame/CMainFrame.h"
#include "config/SettingsKeys.h"
#include "image/IThumbList.h"
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

FrameDocumentHost::FrameDocumentHost(CMainFrame& frame, FrameServices& services)
    : m_frame(frame), m_services(services), m_thumbs(std::make_unique<ThumbListAdapter>(frame))
{
}

FrameDocumentHost::~FrameDocumentHost() = default;

QWidget* FrameDocumentHost::BoxParent() const
{
    return &m_frame;
}

bool FrameDocumentHost::PromptSaveName(QString& name, int& type, const QString& title)
{
    return m_services.PromptSaveName(&m_frame, name, type, title);
}

int FrameDocumentHost::RightAreaMode() const
{
    return m_frame.RightAreaMode();
}

bool FrameDocumentHost::ProgramBusy() const
{
    return m_services.busy();
}

void FrameDocumentHost::SwitchRightPane()
{
    m_frame.SwitchRightPane();
}

void FrameDocumentHost::SwitchRightPaneLater()
{
    m_frame.PostSwitchRightPane();
}

void FrameDocumentHost::ShowResultPane(bool half)
{
    m_frame.ShowResultPane(half);
}

void FrameDocumentHost::SetResultText(const QString& path, const QString& text)
{
    if (m_frame.recognizeView())
        m_frame.recognizeView()->SetResultText(path, text);
}

void FrameDocumentHost::KeepResultEdits()
{
    if (m_frame.recognizeView())
        m_frame.recognizeView()->KeepEdits();
}

void FrameDocumentHost::AddRecentFile(const QString& path)
{
    m_services.AddRecentFile(path);
}

IThumbList* FrameDocumentHost::Thumbs() const
{
    return m_thumbs.get();
}

bool FrameDocumentHost::PresetAreaFlag() const
{
    return m_frame.PresetAreaFlag();
}

void FrameDocumentHost::ClearPresetAreaFlag()
{
    m_frame.SetPresetAreaFlag(false);
}

void FrameDocumentHost::PresetAreaConfirmed()
{
    m_frame.SetPresetAreaFlag(true);
    m_services.SetSetting(scriva::settings::kPageSizeName,
                          QLatin1String(scriva::settings::kPresetPageName));
    m_frame.PostSwitchRightPane();
}
