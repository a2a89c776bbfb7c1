#include "platform/platform.h"

namespace platform {
namespace {

class NoHelpViewer final : public HelpViewer {
public:
    QWidget* displayContents(const QString&, QWidget*) override { return nullptr; }
};

} // namespace

Platform::Platform(Drives drives) : Platform(std::move(drives), nullptr, nullptr) {}

Platform::Platform(Drives drives, std::unique_ptr<DisplaySettings> displaySettings, std::unique_ptr<Shell> shell)
    : m_drives(std::move(drives)),
      m_displaySettings(displaySettings ? std::move(displaySettings) : std::make_unique<UnsupportedDisplaySettings>()),
      m_shell(shell ? std::move(shell) : std::make_unique<DesktopShell>()),
      m_driveTypes(std::make_unique<UnknownDriveTypes>()),
      m_registry(std::make_unique<SettingsRegistry>()),
      m_helpViewer(std::make_unique<NoHelpViewer>()),
      m_printer(std::make_unique<NoPrinter>())
{
}

Platform::~Platform() = default;
Platform::Platform(Platform&&) noexcept = default;
Platform& Platform::operator=(Platform&&) noexcept = default;

} // namespace platform
