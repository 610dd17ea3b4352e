// Qt's plugins are code: they come from the system's plugin folder, never from the
// run directory the program starts in.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdlib>

#include "qt/qt_application.h"
#include "qt_test_support.h"

namespace {

constexpr char kChildVariable[] = "VK_QT_PLUGIN_CHILD";

// Run as its own process by the test below, from a copy of this program in a run
// directory that carries plugin folders of its own.
TEST(QtPlugins, ChildStartsFromAPlantedRunDirectory) {
  if (!std::getenv(kChildVariable)) GTEST_SKIP() << "started by QtPlugins.RunDirectoryIsNeverConsulted";
  RestrictQtPlugins();
  TestApp();
  const QString system = QLibraryInfo::path(QLibraryInfo::PluginsPath);
  const QStringList paths = QCoreApplication::libraryPaths();
  EXPECT_EQ(paths.join(QLatin1Char(':')).toStdString(), system.toStdString());
  EXPECT_FALSE(paths.contains(QCoreApplication::applicationDirPath())) << paths.join(':').toStdString();
  // The platform came from the system's folder all the same.
  EXPECT_EQ(QGuiApplication::platformName(), "offscreen");
}

TEST(QtPlugins, RunDirectoryIsNeverConsulted) {
  if (std::getenv(kChildVariable)) GTEST_SKIP();
  QTemporaryDir run;
  ASSERT_TRUE(run.isValid());
  const QString program = run.path() + "/vinkabo";
  ASSERT_TRUE(QFile::copy("/proc/self/exe", program));
  QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner);
  // What a data pack could carry: plugin folders beside the program.
  for (const char* folder : {"platforms", "imageformats", "styles"}) {
    ASSERT_TRUE(QDir(run.path()).mkpath(folder));
    QFile planted(run.path() + "/" + folder + "/libplanted.so");
    ASSERT_TRUE(planted.open(QIODevice::WriteOnly));
    planted.write("not a plugin");
  }
  QProcess child;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(kChildVariable, "1");
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("QT_PLUGIN_PATH", run.path());
  child.setProcessEnvironment(env);
  child.setWorkingDirectory(run.path());
  child.setProcessChannelMode(QProcess::MergedChannels);
  child.start(program, {"--gtest_filter=QtPlugins.ChildStartsFromAPlantedRunDirectory"});
  ASSERT_TRUE(child.waitForFinished(120000));
  const QByteArray output = child.readAll();
  EXPECT_EQ(child.exitCode(), 0) << output.constData();
  EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.constData();
}

}  // namespace
