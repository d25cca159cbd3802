// Every event of the contract's event interfaces is a signal of the proxy class, with the
// same name and argument types: an event without its signal would be dropped unseen.

#include <optional>

#include <QFile>
#include <QList>
#include <QMetaMethod>
#include <QMetaObject>
#include <QMetaType>
#include <QString>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include "Transmit_TLB.h"

namespace nimbra::com {
namespace {

struct EventSignal {
    QString name;
    QList<QMetaType> arguments;
};

// The signals of one interface file, with their argument types as the proxies take them.
QList<EventSignal> SignalsOf(const QString& file) {
    QFile xml(file);
    EXPECT_TRUE(xml.open(QIODevice::ReadOnly)) << file.toStdString();
    QXmlStreamReader reader(&xml);
    QList<EventSignal> found;
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement())
            continue;
        if (reader.name() == QLatin1String("signal")) {
            found.append({reader.attributes().value(QLatin1String("name")).toString(), {}});
        } else if (reader.name() == QLatin1String("arg") && !found.isEmpty()) {
            const auto type = reader.attributes().value(QLatin1String("type"));
            found.last().arguments.append(
                type == QLatin1String("v")   ? QMetaType::fromType<QVariant>()
                : type == QLatin1String("s") ? QMetaType::fromType<QString>()
                : type == QLatin1String("i") ? QMetaType::fromType<int>()
                                             : QMetaType());
        }
    }
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    return found;
}

std::optional<QMetaMethod> FindSignal(const QMetaObject& proxy, const QString& name) {
    for (int i = proxy.methodOffset(); i < proxy.methodCount(); ++i) {
        const QMetaMethod method = proxy.method(i);
        if (method.methodType() == QMetaMethod::Signal &&
            QString::fromLatin1(method.name()) == name)
            return method;
    }
    return std::nullopt;
}

struct Kind {
    const char* eventInterface;
    const QMetaObject* proxy;
};

TEST(EventSignalsTest, EveryEventOfTheContractIsASignalOfItsProxy) {
    const Kind kinds[] = {
        {"InbMessageServerEvents", &TnbMessageServerProxy::staticMetaObject},
        {"InbSMSPhoneEvents", &TnbSMSPhoneProxy::staticMetaObject},
        {"InbEasySMSEvents", &TnbEasySMSProxy::staticMetaObject},
        {"InbServiceControlEvents", &TnbServiceControlProxy::staticMetaObject},
    };
    for (const Kind& kind : kinds) {
        SCOPED_TRACE(kind.eventInterface);
        const QList<EventSignal> events =
            SignalsOf(QStringLiteral(INTERFACES_DIR "/org.nimbra.Transmit.%1.xml")
                          .arg(QLatin1String(kind.eventInterface)));
        EXPECT_FALSE(events.isEmpty());
        int declared = 0;
        for (int i = kind.proxy->methodOffset(); i < kind.proxy->methodCount(); ++i)
            declared += kind.proxy->method(i).methodType() == QMetaMethod::Signal;
        EXPECT_EQ(declared, events.size()) << "the proxy has signals that are no events";
        for (const EventSignal& event : events) {
            SCOPED_TRACE(event.name.toStdString());
            const std::optional<QMetaMethod> method = FindSignal(*kind.proxy, event.name);
            ASSERT_TRUE(method.has_value());
            ASSERT_EQ(method->parameterCount(), event.arguments.size());
            for (int a = 0; a < event.arguments.size(); ++a)
                EXPECT_EQ(method->parameterMetaType(a), event.arguments[a]) << "argument " << a;
        }
    }
}

}  // namespace
}  // namespace nimbra::com
