#include "ippackage.h"

namespace IPCore {

BaseIPCore::~BaseIPCore() = default;

IPPackage::IPPackage(QObject *parent) : QObject(parent) {}

IPPackage::~IPPackage() = default;

} // namespace IPCore
