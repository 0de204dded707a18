#include "app/EnginePath.h"

#include <QDir>

std::string TEnginePath::FromQt(const QString& name) {
    return QDir::toNativeSeparators(name).toStdString();
}

QString TEnginePath::ToQt(const std::string& name) {
    return QDir::fromNativeSeparators(QString::fromStdString(name));
}
