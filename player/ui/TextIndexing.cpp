#include "TextIndexing.h"

#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "CodeFolders.h"

namespace {

// The idle class of the kernel's disk scheduler (ioprio.h).
constexpr int kIoprioClassIdle = 3;
constexpr int kIoprioClassShift = 13;
constexpr int kIoprioWhoProcess = 1;

// In the reading program, before it starts: it gets the processor and the
// disk only when nothing else wants them.
void RunAtIdlePriority() {
  sched_param none{};
  (void)::sched_setscheduler(0, SCHED_IDLE, &none);
  (void)::setpriority(PRIO_PROCESS, 0, 19);
  (void)::syscall(SYS_ioprio_set, kIoprioWhoProcess, 0, kIoprioClassIdle << kIoprioClassShift);
}

}  // namespace

std::string TrustedConverter() {
  const auto found = platform::TrustedFile("ekconvert", platform::CodeFolders(platform::TCodeOrigin::Installed));
  return found ? *found : std::string();
}

TTextIndexing::TTextIndexing(QObject* parent) : QObject(parent) {}

TTextIndexing::~TTextIndexing() { Stop(); }

void TTextIndexing::Start(const std::string& path) {
  Stop();
  failure_.clear();
  const std::string converter = TrustedConverter();
  if (converter.empty()) {
    failure_ = QStringLiteral("ekconvert не найден рядом с программой");
    emit Finished();
    return;
  }
  process_ = std::make_unique<QProcess>();
  process_->setStandardOutputFile(QProcess::nullDevice());
  process_->setChildProcessModifier(RunAtIdlePriority);
  const QString prefix = QStringLiteral("ekconvert: ") + QString::fromStdString(path) + QStringLiteral(": ");
  connect(process_.get(), &QProcess::finished, this, [this, prefix](int status, QProcess::ExitStatus how) {
    if (how != QProcess::NormalExit || status != 0) {
      // The converter says "ekconvert: FILE: what is wrong"; what is wrong is the message.
      QString said = QString::fromUtf8(process_->readAllStandardError()).trimmed();
      if (said.startsWith(prefix)) said = said.mid(prefix.size());
      failure_ = said.isEmpty() ? QStringLiteral("чтение прервано") : said;
    }
    emit Finished();
  });
  process_->start(QString::fromStdString(converter),
                  {QStringLiteral("text"), QString::fromStdString(path)});
}

void TTextIndexing::Stop() {
  if (!process_) return;
  process_->disconnect(this);
  if (process_->state() != QProcess::NotRunning) {
    process_->kill();
    process_->waitForFinished(3000);
  }
  process_.reset();
}

bool TTextIndexing::Running() const { return process_ && process_->state() != QProcess::NotRunning; }
