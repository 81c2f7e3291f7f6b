// cid-device-link: declares a device for the current user by hand. Which
// directory, whether it is trusted, what an entry of each kind may point at
// and how entries are made and removed all come from the device directory
// code, so the program and this command can never disagree.
#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <map>

#include "device/directory/audio_target.h"
#include "device/directory/device_directory.h"
#include "device/directory/target_identity.h"

namespace {

constexpr char kUsage[] =
    "cid-device-link add PORT [--modem|--lineunit|--ethunit|--audio [--standard S]] [--name NAME]   e.g. add "
    "/dev/ttyUSB0\n"
    "cid-device-link remove NAME                         e.g. remove unit-ttyUSB0\n"
    "cid-device-link list\n"
    "Kinds: unit-NAME (multi-line unit), modem-NAME (--modem, voice modem) and\n"
    "lineunit-NAME (--lineunit, a unit printing the public call-record format):\n"
    "PORT must be a serial port or pseudo-terminal; ethunit-NAME (--ethunit,\n"
    "such a unit on Ethernet): PORT is its IP address[:udp-port], e.g. 192.168.1.20;\n"
    "audio-NAME (--audio, a sound card with a line coupler): PORT is its capture\n"
    "node /dev/snd/pcmC<card>D<dev>c, a FIFO or a WAV file; --standard clip, dtmf,\n"
    "bell or jclip fixes the caller-ID standard (else it is detected).\n"
    "The caller-ID program takes up the change at once; its window shows it\n"
    "within half a second.\n";

int Usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

int Fail(const QString& message) {
  std::fprintf(stderr, "cid-device-link: %s\n", message.toLocal8Bit().constData());
  return 1;
}

// What the user is told when the port does not suit the kind of entry; why
// is the check's own reason, said when it is more than "not of the kind".
QString WrongTarget(device::DeviceFamily family, const QString& port, const QString& target, const QString& why) {
  switch (family) {
    case device::DeviceFamily::PublicFormatUdp:
      return QStringLiteral(
                 "%1 bir IP adresi değil (ethunit kaydı 192.168.1.20 ya da 192.168.1.20:3520 gibi bir adres ister)")
          .arg(port);
    case device::DeviceFamily::Audio:
      if (why.isEmpty() || why == device::NotAnAudioTargetText(target)) return device::NotAnAudioTargetText(port);
      return QStringLiteral("%1; kayıt yapılmadı").arg(why);
    default:
      // A terminal in use or the console is named as what it is.
      if (!why.isEmpty() && why != QStringLiteral("%1 bir seri aygıt değil").arg(target))
        return QStringLiteral("%1; kayıt yapılmadı").arg(why);
      return QStringLiteral("%1 bir seri aygıt değil (unit, modem ve lineunit kayıtları bir seri port ister)")
          .arg(port);
  }
}

int Add(const QStringList& args) {
  if (args.isEmpty() || args[0].isEmpty()) return Usage();
  const QString port = args[0];
  device::DeviceFamily family = device::DeviceFamily::NativeUnit;
  QString name, standard;
  for (int i = 1; i < args.size(); ++i) {
    const QString& a = args[i];
    if (a == u"--modem")
      family = device::DeviceFamily::Modem;
    else if (a == u"--lineunit")
      family = device::DeviceFamily::PublicFormatSerial;
    else if (a == u"--ethunit")
      family = device::DeviceFamily::PublicFormatUdp;
    else if (a == u"--audio")
      family = device::DeviceFamily::Audio;
    else if (a == u"--standard") {
      standard = i + 1 < args.size() ? args[++i] : QString();
      if (standard.isEmpty() || !device::IsAudioStandardSuffix(standard))
        return Fail(QStringLiteral("--standard clip, dtmf, bell ya da jclip olmalı"));
    } else if (a == u"--name" && i + 1 < args.size()) {
      name = args[++i];
    } else {
      return Usage();
    }
  }
  // A relative port is taken from where the command runs, as the user meant.
  QString target, why;
  if (!device::ResolveEntryTarget(family, QDir::currentPath(), QFile::encodeName(port), &target, &why))
    return Fail(WrongTarget(family, port, target, why));
  if (name.isEmpty()) {
    if (family == device::DeviceFamily::PublicFormatUdp) {
      // An address makes a readable name once ':' and brackets are gone.
      name = port;
      for (QChar& c : name)
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'.' && c != u'-') c = u'_';
    } else {
      name = QFileInfo(port).fileName();
    }
  }
  if (!standard.isEmpty()) {
    if (family != device::DeviceFamily::Audio) return Fail(QStringLiteral("--standard yalnız --audio ile"));
    name += u'.' + standard;
  }
  const QString directory = device::UserDeviceDirectory();
  const QString entry = device::FamilyPrefix(family) + name;
  // The program would link the device once and refuse the second entry (a
  // unit's calls would be counted twice otherwise).
  const QString identity = device::TargetIdentity(family, target);
  for (const device::DeviceEntry& e : device::ScanDeviceDirectories(device::DefaultDeviceDirectories()))
    if (e.name != entry && !identity.isEmpty() && device::TargetIdentity(e.family, e.target) == identity)
      return Fail(
          QStringLiteral("%1, %2; ikinci kayıt yapılmadı").arg(port, device::SameDeviceText(family, target, e.name)));
  QString error;
  if (!device::CreateDeviceEntry(directory, entry, target, &error)) return Fail(error);
  std::printf("%s -> %s\n", QFile::encodeName(QDir(directory).filePath(entry)).constData(),
              QFile::encodeName(target).constData());
  return 0;
}

int Remove(const QStringList& args) {
  if (args.isEmpty() || args[0].isEmpty()) return Usage();
  // A path names the entry by its last part.
  const QString name = args[0].section(u'/', -1);
  QString error;
  if (!device::RemoveDeviceEntry(device::UserDeviceDirectory(), name, &error)) return Fail(error);
  return 0;
}

// The entries the program would use, the user's and udev's; whatever it
// would refuse is said on standard error.
int List() {
  QStringList refusals;
  std::map<QString, QString> firsts;  // device -> the entry the program would link it under
  for (const device::DeviceEntry& e : device::ScanDeviceDirectories(device::DefaultDeviceDirectories(), &refusals)) {
    const QString identity = device::TargetIdentity(e.family, e.target);
    if (const auto first = firsts.find(identity); !identity.isEmpty() && first != firsts.end()) {
      refusals << QStringLiteral("%1: %2; ikinci kayıt kullanılmadı")
                      .arg(e.path, device::SameDeviceText(e.family, e.target, first->second));
      continue;
    }
    firsts[identity] = e.name;
    std::printf("%s -> %s\n", QFile::encodeName(e.path).constData(), QFile::encodeName(e.target).constData());
  }
  for (const QString& line : refusals) std::fprintf(stderr, "cid-device-link: %s\n", line.toLocal8Bit().constData());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);  // for the locale's encoding of arguments
  QStringList args = app.arguments().mid(1);
  const QString command = args.isEmpty() ? QString() : args.takeFirst();
  if (command == u"add") return Add(args);
  if (command == u"remove") return Remove(args);
  if (command == u"list") return List();
  return Usage();
}
