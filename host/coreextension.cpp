#include "coreextension.h"

namespace IPCore {

CoreExtension::CoreExtension(QObject *parent) : QObject(parent) {}

CoreExtension::~CoreExtension() = default;

} // namespace IPCore
