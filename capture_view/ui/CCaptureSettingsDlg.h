#pragma once
// The capture settings dialog (133): file name stem, naming rule and counter
// step, page size, file format, image direction, save folder, thumbnails per
// column, auto-capture mode (off, at an interval, when the page changes), its
// interval, the settle time and sensitivity of hands-free capture, and the page
// look of photos (with a small preview of the held frame in that look, and a
// note when black-and-white pages go into JPEG files, which keep them in
// grey). Reads the store when built and writes it
// back on OK when every typed value is usable (otherwise it says why, puts the
// focus on the edit and stays open). Controls are named id_<number>; texts
// come from the pack. User-interface thread only.

#include "capture_view/CaptureSettingsModel.h"
#include "config/CommandIds.h"
#include "image/cximage/CxImage.h"

#include <QDialog>
#include <functional>

class CConfigFile;
class IWindowServices;
class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSlider;

class CCaptureSettingsDlg : public QDialog
{
    Q_OBJECT
public:
    static constexpr int TemplateId = scriva::form::kCaptureSettings;
    enum Control {
        FileName = 1001,
        OpenFolder = 1002,
        ChooseFolder = 1003,
        ByDate = 1004,
        ByCounter = 1005,
        Increment = 1007,
        Thumbnails = 1008,
        PageBox = 1013,
        DirectionBox = 1014,
        SavePath = 1015,
        FormatBox = 1017,
        IncrementSpin = 1042,
        Interval = 1078,
        LookBox = 1111,     // the page look of photos
        LookPreview = 1112, // the held frame in the chosen look
        LookNote = 1113,    // black and white in a format that has no 1-bit pages
        AutoMode = scriva::ctl::kAutoCaptureMode,
        Settle = scriva::ctl::kPageSettle,
        Sensitivity = scriva::ctl::kPageSensitivity,
        SensitivityValue = scriva::ctl::kPageSensitivityValue,
    };

    // The frame the camera holds now, for the look's preview; false when
    // there is none (no camera view, no frame yet).
    using HeldFrame = std::function<bool(CxImage& frame)>;

    // Texts, boxes and the folder chooser come from `window`.
    CCaptureSettingsDlg(CConfigFile& store, const QString& languageCode, bool hasPreset,
                        IWindowServices& window, HeldFrame heldFrame = {},
                        QWidget* parent = nullptr);

    const CaptureSettingsModel& Model() const { return m_model; }
    // The thumbnail count differs from the one at opening (after OK).
    bool ThumbnailCountChanged() const { return m_thumbnailsChanged; }

    void accept() override;

private:
    QString Text(int id) const;
    QString ControlText(int control) const;
    void Build();
    void Fill();
    CaptureSettingsValues Collect() const;
    void StepIncrement(int delta);
    void ChooseSaveFolder();
    void ShowLookPreview();
    void ShowLookNote();
    QWidget* Edit(int control) const;

    CConfigFile& m_store;
    CaptureSettingsModel m_model;
    IWindowServices& m_window;
    HeldFrame m_heldFrame;
    QString m_savePath; // as loaded or chosen with the folder button
    bool m_thumbnailsChanged = false;
    QLineEdit* m_fileName = nullptr;
    QLineEdit* m_savePathEdit = nullptr;
    QLineEdit* m_increment = nullptr;
    QLineEdit* m_thumbnails = nullptr;
    QLineEdit* m_interval = nullptr;
    QComboBox* m_pages = nullptr;
    QComboBox* m_directions = nullptr;
    QComboBox* m_formats = nullptr;
    QRadioButton* m_byDate = nullptr;
    QRadioButton* m_byCounter = nullptr;
    QComboBox* m_looks = nullptr;
    QLabel* m_lookPreview = nullptr;
    QLabel* m_lookNote = nullptr;
    QComboBox* m_autoMode = nullptr;
    QLineEdit* m_settle = nullptr;
    QSlider* m_sensitivity = nullptr;
    QLabel* m_sensitivityValue = nullptr;
    CxImage m_previewFrame; // the held frame, reduced; invalid when there is none
};
