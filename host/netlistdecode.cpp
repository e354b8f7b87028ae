#include "devicelibrary.h"
#include "ipcorefunctions.h"
#include "synthesisscripts.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>

#include <algorithm>

namespace IPCore {

using Synthesis::comment;
using Synthesis::readText;
using Synthesis::writeText;

namespace {

struct PrimitiveLibrary
{
    QStringList directives;         // `timescale and friends outside any module
    QMap<QString, QString> modules; // behavioural model text by module name
};

// The library's behavioural reading: the branches that SYNTHESIS leaves out, split into modules.
PrimitiveLibrary behaviouralModels(const QString &text)
{
    static const QRegularExpression conditional(
        QStringLiteral("^\\s*`(ifdef|ifndef|else|endif)\\b\\s*(\\w*)"));
    static const QRegularExpression moduleStart(
        QStringLiteral("^\\s*(?:macro)?module\\s+\\\\?([A-Za-z_][\\w$]*)"));
    static const QRegularExpression moduleEnd(QStringLiteral("^\\s*endmodule\\b"));
    PrimitiveLibrary library;
    // One entry per open `ifdef: whether it tests SYNTHESIS, and whether its lines are kept.
    QList<QPair<bool, bool>> open;
    QString current;
    QString moduleName;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch c = conditional.match(line);
        const bool keptAbove = std::all_of(open.cbegin(), open.cend(),
                                           [](const QPair<bool, bool> &o) { return o.second; });
        if (c.hasMatch()) {
            const QString word = c.captured(1);
            if (word.startsWith(QLatin1String("if")) &&
                c.captured(2) == QLatin1String("SYNTHESIS")) {
                open.append({true, word == QLatin1String("ifndef")});
                continue;
            }
            if (word.startsWith(QLatin1String("if"))) {
                open.append({false, true});
            } else if (!open.isEmpty() && open.last().first) {
                if (word == QLatin1String("else"))
                    open.last().second = !open.last().second;
                else
                    open.removeLast();
                continue;
            } else if (word == QLatin1String("endif") && !open.isEmpty()) {
                open.removeLast();
            }
        }
        if (!keptAbove)
            continue;
        if (moduleName.isEmpty()) {
            const QRegularExpressionMatch start = moduleStart.match(line);
            if (start.hasMatch()) {
                moduleName = start.captured(1);
            } else {
                if (line.trimmed().startsWith(QLatin1Char('`')))
                    library.directives.append(line);
                continue;
            }
        }
        current += line + QLatin1Char('\n');
        if (moduleEnd.match(line).hasMatch()) {
            library.modules.insert(moduleName, current);
            current.clear();
            moduleName.clear();
        }
    }
    return library;
}

bool instantiates(const QString &text, const QString &module)
{
    const QRegularExpression instance(
        QStringLiteral("^\\s*%1\\s+[#\\\\A-Za-z_]").arg(QRegularExpression::escape(module)),
        QRegularExpression::MultilineOption);
    return instance.match(text).hasMatch();
}

} // namespace

int decode(const QString &outputDirectory, const QString &netlist, const QString &voFile,
           QString &error)
{
    QString netlistText;
    if (!readText(netlist, &netlistText, &error))
        return 1;
    if (netlistText.trimmed().isEmpty()) {
        error = QStringLiteral("The netlist %1 is empty.").arg(netlist);
        return 1;
    }
    const QString prims = DEV::DeviceLibrary::primitiveModels();
    QString primsText;
    if (!readText(prims, &primsText, &error))
        return 1;
    const PrimitiveLibrary library = behaviouralModels(primsText);

    // The primitives the netlist uses, and those their models use in turn.
    QStringList used;
    QStringList pending{netlistText};
    while (!pending.isEmpty()) {
        const QString text = pending.takeFirst();
        for (auto it = library.modules.cbegin(); it != library.modules.cend(); ++it) {
            if (!used.contains(it.key()) && instantiates(text, it.key())) {
                used.append(it.key());
                pending.append(it.value());
            }
        }
    }

    QString model = comment(
        QStringLiteral("//"),
        {QStringLiteral("%1: simulation model written by ipgen on %2")
             .arg(QFileInfo(voFile).fileName(), Synthesis::timestamp()),
         QStringLiteral("Netlist: %1").arg(netlist),
         QStringLiteral("Device primitive models: %1")
             .arg(used.isEmpty() ? QStringLiteral("none needed") : used.join(QStringLiteral(", "))),
         QStringLiteral("Compiles on its own; do not synthesize this file.")});
    if (!library.directives.isEmpty())
        model += library.directives.join(QLatin1Char('\n')) + QLatin1Char('\n');
    model += QLatin1Char('\n') + netlistText;
    if (!model.endsWith(QLatin1Char('\n')))
        model += QLatin1Char('\n');
    for (const QString &name : qAsConst(used))
        model += QStringLiteral("\n// Behavioural model of %1 from %2\n").arg(name, prims) +
                 library.modules.value(name);

    const QString target = QDir(outputDirectory).absoluteFilePath(voFile);
    return writeText(target, model, &error) ? 0 : 1;
}

} // namespace IPCore
