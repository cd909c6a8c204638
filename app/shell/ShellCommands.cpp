#include "ShellCommands.h"

#include "config/CommandIds.h"
#include "config/Languages.h"

namespace lang = scriva::languages;

ShellCommands::ShellCommands(Host host) : m_host(std::move(host)) {}

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
        startProgram(m_host.recorder(), {});
        return true;
    case scriva::cmd::kWebPage:
        if (const QUrl page = m_host.productPage(); page.isValid())
            m_host.openUrl(page);
        return true;
    case scriva::cmd::kPaint:
        startProgram(m_host.paintProgram(), {m_host.currentFile()});
        return true;
    default:
        return false;
    }
}

std::optional<CommandState> ShellCommands::OnUpdateCommand(int id) const
{
    if (IsLanguageCommand(id)) {
        const bool current = lang::IndexOfCommand(id) == m_host.languageIndex();
        return CommandState::Checked(!current, current);
    }
    switch (id) {
    case scriva::cmd::kVideoRecorder:
        return CommandState::Enabled(m_host.imageMode() && !m_host.recorder().isEmpty());
    case scriva::cmd::kWebPage:
        return CommandState::Enabled(m_host.productPage().isValid());
    case scriva::cmd::kPaint:
        return CommandState::Enabled(m_host.hasImage() && !m_host.editing() && m_host.imageMode() &&
                                     !m_host.currentFile().isEmpty());
    default:
        return std::nullopt;
    }
}

void ShellCommands::switchLanguage(int command)
{
    // The choice is kept even when the user restarts later; a file that
    // cannot be written does not stop the question.
    m_host.storeLanguage(CodeForCommand(command));
    if (!m_host.askRestart())
        return;
    if (!m_host.saveModified())
        return;
    m_host.restart();
}

void ShellCommands::startProgram(const QString& program, const QStringList& arguments)
{
    const ProgramStart start = m_host.startDetached(program, arguments);
    if (!start.ok())
        m_host.reportError(QStringLiteral("CreateProcess"), start.errorCode, start.error);
}
