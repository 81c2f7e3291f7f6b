#pragma once
// The bytes of a shipped resource, for tests that check the files themselves.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>

#include "resources/resources.h"

inline QByteArray Resource(const char* path) {
  resources::InitResources();
  QFile f(QString::fromLatin1(path));
  EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path;
  return f.readAll();
}
