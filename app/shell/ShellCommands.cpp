#include "ShellCommands.h"

#include "config/CommandIds.h"
#include "config/Languages.h"

namespace lang = scriva::languages;

ShellCommands::ShellCommands(Host& host) : m_host(host) {}

bool ShellCommands::IsLanguageCommand(int command)
{
    return lang::IndexOfCommand(command) != 0;
}

QString ShellCommands::CodeForCommand(int command)
{
    const int index = lang::IndexOfCommand(command);
    // A command outside the table falls back to Simplified Chinese, as the
    // language switch always has.
    return index ? lang::CodeOfIndex(index) : QStringLiteral("ch");
}

bool ShellCommands::OnCommand(int id)
{
    if (IsLanguageCommand(id)) {
        switchLanguage(id);
        return true;
    }
    switch (id) {
    case scriva::cmd::kVideoRecorder:
        startProgram(m_host.Recorder(), {});
        return true;
    case scriva::cmd::kWebPage:
        if (const QUrl page = m_host.ProductPage(); page.isValid())
            m_host.OpenUrl(page);
        return true;
    case scriva::cmd::kPaint:
        startProgram(m_host.PaintProgram(), {m_host.CurrentFile()});
        return true;
    default:
        return false;
    }
}

std::optional<CommandState> ShellCommands::OnUpdateCommand(int id) const
{
    if (IsLanguageCommand(id)) {
        const bool current = lang::IndexOfCommand(id) == m_host.LanguageIndex();
        return CommandState::Checked(!current, current);
    }
    switch (id) {
    case scriva::cmd::kVideoRecorder:
        return CommandState::Enabled(m_host.ImageMode() && !m_host.Recorder().isEmpty());
    case scriva::cmd::kWebPage:
        return CommandState::Enabled(m_host.ProductPage().isValid());
    case scriva::cmd::kPaint:
        return CommandState::Enabled(m_host.HasImage() && !m_host.Editing() && m_host.ImageMode() &&
                                     !m_host.CurrentFile().isEmpty());
    default:
        return std::nullopt;
    }
}

void ShellCommands::switchLanguage(int command)
{
    // The choice is kept even when the user restarts later; a file that
    // cannot be written does not stop the question.
    m_host.StoreLanguage(CodeForCommand(command));
    if (!m_host.AskRestart())
        return;
    if (!m_host.SaveModified())
        return;
    m_host.Restart();
}

void ShellCommands::startProgram(const QString& program, const QStringList& arguments)
{
    const ProgramStart start = m_host.StartDetached(program, arguments);
    if (!start.ok())
        m_host.ReportError(QStringLiteral("CreateProcess"), start.errorCode, start.error);
}
