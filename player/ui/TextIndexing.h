// The movie's text read in the background while it plays: the converter's
// text command in a program of its own, at idle priority for the processor
// and the disk, so that the playing tick never waits for it. It writes the
// movie's text cache, which the find window reads as it fills.
#pragma once

#include <QObject>
#include <QProcess>
#include <QString>

#include <memory>
#include <string>

class TTextIndexing : public QObject {
  Q_OBJECT

 public:
  explicit TTextIndexing(QObject* parent = nullptr);
  ~TTextIndexing() override;

  // Reads the movie at `path`, stopping whatever reading went on before.
  void Start(const std::string& path);
  void Stop();
  bool Running() const;
  // Why the last reading failed, as the converter said it; empty while none did.
  const QString& Failure() const { return failure_; }

 signals:
  void Finished();

 private:
  std::unique_ptr<QProcess> process_;
  QString failure_;
};

// The converter beside the player, when only the user and root can write
// its folder; empty when there is none.
std::string TrustedConverter();
