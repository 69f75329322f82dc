// A nested QVariantMap of 10 000 mixed entries from memory to a file and
// back: the typed XML file against QJsonDocument (compact and indented; no
// types, so a lower bound) and against libplist's XML property lists (a
// typed peer). Every contender starts and ends with a QVariantMap and writes
// a real file; each direction is also measured on its own.
// Items per second are counted on CPU time, so the ratios hold on a busy
// machine too.

#include <Basics/basics.h>

#include "support/benchratio.h"

#include <QDateTime>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QTemporaryDir>

#include <plist/plist.h>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

// 100 groups of 100 entries: numbers, texts, flags, bytes and short lists.
QVariantMap sampleMap()
{
    QVariantMap root;
    for (int group = 0; group < 100; ++group) {
        QVariantMap entries;
        for (int i = 0; i < 100; ++i) {
            const QString key = QStringLiteral("surface %1").arg(i);
            switch (i % 6) {
            case 0: entries.insert(key, group * 100 + i); break;
            case 1: entries.insert(key, 1.0 / (i + 3)); break;
            case 2: entries.insert(key, QStringLiteral("glass N-BK7 & coating <%1>").arg(i)); break;
            case 3: entries.insert(key, i % 4 == 1); break;
            case 4: entries.insert(key, QByteArray(16, char('a' + i % 26))); break;
            default: entries.insert(key, QVariantList{i, i + 1, i + 2}); break;
            }
        }
        root.insert(QStringLiteral("group %1").arg(group), entries);
    }
    return root;
}

const QVariantMap &sample()
{
    static const QVariantMap map = sampleMap();
    return map;
}

QString scratchFile(const char *name)
{
    static QTemporaryDir dir;
    return dir.filePath(QString::fromLatin1(name));
}

bool writeFile(const QString &path, const char *data, qint64 size)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data, size) == size && file.commit();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

// --- libplist conversions ------------------------------------------------------

plist_t toPlist(const QVariant &value)
{
    switch (value.userType()) {
    case QMetaType::QVariantMap: {
        plist_t dict = plist_new_dict();
        const QVariantMap map = value.toMap();
        for (auto it = map.constBegin(); it != map.constEnd(); ++it)
            plist_dict_set_item(dict, it.key().toUtf8().constData(), toPlist(it.value()));
        return dict;
    }
    case QMetaType::QVariantList: {
        plist_t array = plist_new_array();
        for (const QVariant &item : value.toList())
            plist_array_append_item(array, toPlist(item));
        return array;
    }
    case QMetaType::Int: return plist_new_uint(uint64_t(value.toInt()));
    case QMetaType::Double: return plist_new_real(value.toDouble());
    case QMetaType::Bool: return plist_new_bool(value.toBool());
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return plist_new_data(bytes.constData(), uint64_t(bytes.size()));
    }
    default: return plist_new_string(value.toString().toUtf8().constData());
    }
}

QVariant fromPlist(plist_t node)
{
    switch (plist_get_node_type(node)) {
    case PLIST_DICT: {
        QVariantMap map;
        plist_dict_iter iter = nullptr;
        plist_dict_new_iter(node, &iter);
        for (;;) {
            char *key = nullptr;
            plist_t item = nullptr;
            plist_dict_next_item(node, iter, &key, &item);
            if (!item)
                break;
            map.insert(QString::fromUtf8(key), fromPlist(item));
            std::free(key);
        }
        std::free(iter);
        return map;
    }
    case PLIST_ARRAY: {
        QVariantList list;
        const uint32_t size = plist_array_get_size(node);
        for (uint32_t i = 0; i < size; ++i)
            list.append(fromPlist(plist_array_get_item(node, i)));
        return list;
    }
    case PLIST_UINT: {
        uint64_t number = 0;
        plist_get_uint_val(node, &number);
        return int(number);
    }
    case PLIST_REAL: {
        double number = 0;
        plist_get_real_val(node, &number);
        return number;
    }
    case PLIST_BOOLEAN: {
        uint8_t flag = 0;
        plist_get_bool_val(node, &flag);
        return flag != 0;
    }
    case PLIST_DATA: {
        char *bytes = nullptr;
        uint64_t length = 0;
        plist_get_data_val(node, &bytes, &length);
        const QByteArray data(bytes, int(length));
        std::free(bytes);
        return data;
    }
    default: {
        char *text = nullptr;
        plist_get_string_val(node, &text);
        const QString string = QString::fromUtf8(text);
        std::free(text);
        return string;
    }
    }
}

// --- benchmarks ---------------------------------------------------------------

QByteArray toJson(QJsonDocument::JsonFormat format)
{
    return QJsonDocument(QJsonObject::fromVariantMap(sample())).toJson(format);
}

QVariantMap fromJson(const QString &path)
{
    return QJsonDocument::fromJson(readFile(path)).object().toVariantMap();
}

QByteArray toPlistXml()
{
    plist_t root = toPlist(sample());
    char *xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(root, &xml, &length);
    plist_free(root);
    const QByteArray bytes(xml, int(length));
    plist_to_xml_free(xml);
    return bytes;
}

QVariantMap fromPlistXml(const QString &path)
{
    const QByteArray text = readFile(path);
    plist_t parsed = nullptr;
    plist_from_xml(text.constData(), uint32_t(text.size()), &parsed);
    const QVariantMap back = parsed ? fromPlist(parsed).toMap() : QVariantMap();
    plist_free(parsed);
    return back;
}

void BM_TypedXml(benchmark::State &state)
{
    const QString path = scratchFile("map.xml");
    for (auto _ : state) {
        QVariantMap back;
        if (!Basics::writeVariantMapToXml(path, sample()) || !Basics::readVariantMapFromXml(path, &back)
            || back.size() != sample().size())
            state.SkipWithError("typed XML round trip failed");
        benchmark::DoNotOptimize(back);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TypedXml)->Unit(benchmark::kMillisecond);

// The two halves on their own, to see where the time goes.
void BM_TypedXmlWrite(benchmark::State &state)
{
    const QString path = scratchFile("write.xml");
    for (auto _ : state) {
        if (!Basics::writeVariantMapToXml(path, sample()))
            state.SkipWithError("typed XML write failed");
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TypedXmlWrite)->Unit(benchmark::kMillisecond);

void BM_TypedXmlRead(benchmark::State &state)
{
    const QString path = scratchFile("read.xml");
    Basics::writeVariantMapToXml(path, sample());
    for (auto _ : state) {
        QVariantMap back;
        if (!Basics::readVariantMapFromXml(path, &back))
            state.SkipWithError("typed XML read failed");
        benchmark::DoNotOptimize(back);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TypedXmlRead)->Unit(benchmark::kMillisecond);

void jsonRoundTrip(benchmark::State &state, QJsonDocument::JsonFormat format)
{
    const QString path = scratchFile("map.json");
    for (auto _ : state) {
        const QByteArray json = toJson(format);
        if (!writeFile(path, json.constData(), json.size()))
            state.SkipWithError("JSON write failed");
        const QVariantMap back = fromJson(path);
        if (back.size() != sample().size())
            state.SkipWithError("JSON round trip failed");
        benchmark::DoNotOptimize(back);
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_QJsonDocument(benchmark::State &state)
{
    jsonRoundTrip(state, QJsonDocument::Indented);
}
BENCHMARK(BM_QJsonDocument)->Unit(benchmark::kMillisecond);

void BM_QJsonCompact(benchmark::State &state)
{
    jsonRoundTrip(state, QJsonDocument::Compact);
}
BENCHMARK(BM_QJsonCompact)->Unit(benchmark::kMillisecond);

void BM_QJsonCompactWrite(benchmark::State &state)
{
    const QString path = scratchFile("write.json");
    for (auto _ : state) {
        const QByteArray json = toJson(QJsonDocument::Compact);
        if (!writeFile(path, json.constData(), json.size()))
            state.SkipWithError("JSON write failed");
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_QJsonCompactWrite)->Unit(benchmark::kMillisecond);

void BM_QJsonCompactRead(benchmark::State &state)
{
    const QString path = scratchFile("read.json");
    const QByteArray json = toJson(QJsonDocument::Compact);
    writeFile(path, json.constData(), json.size());
    for (auto _ : state) {
        const QVariantMap back = fromJson(path);
        if (back.size() != sample().size())
            state.SkipWithError("JSON read failed");
        benchmark::DoNotOptimize(back);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_QJsonCompactRead)->Unit(benchmark::kMillisecond);

// The document alone, without the conversions from and to QVariantMap.
void BM_QJsonDocumentOnly(benchmark::State &state)
{
    const QString path = scratchFile("doc.json");
    const QJsonDocument document(QJsonObject::fromVariantMap(sample()));
    for (auto _ : state) {
        const QByteArray json = document.toJson();
        if (!writeFile(path, json.constData(), json.size()))
            state.SkipWithError("JSON write failed");
        const QJsonDocument back = QJsonDocument::fromJson(readFile(path));
        benchmark::DoNotOptimize(back);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_QJsonDocumentOnly)->Unit(benchmark::kMillisecond);

void BM_LibplistXml(benchmark::State &state)
{
    const QString path = scratchFile("map.plist");
    for (auto _ : state) {
        const QByteArray xml = toPlistXml();
        if (!writeFile(path, xml.constData(), xml.size()))
            state.SkipWithError("plist write failed");
        const QVariantMap back = fromPlistXml(path);
        if (back.size() != sample().size())
            state.SkipWithError("plist round trip lost entries");
        benchmark::DoNotOptimize(back);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LibplistXml)->Unit(benchmark::kMillisecond);

void BM_LibplistXmlWrite(benchmark::State &state)
{
    const QString path = scratchFile("write.plist");
    for (auto _ : state) {
        const QByteArray xml = toPlistXml();
        if (!writeFile(path, xml.constData(), xml.size()))
            state.SkipWithError("plist write failed");
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LibplistXmlWrite)->Unit(benchmark::kMillisecond);

void BM_LibplistXmlRead(benchmark::State &state)
{
    const QString path = scratchFile("read.plist");
    const QByteArray xml = toPlistXml();
    writeFile(path, xml.constData(), xml.size());
    for (auto _ : state) {
        const QVariantMap back = fromPlistXml(path);
        if (back.size() != sample().size())
            state.SkipWithError("plist read failed");
        benchmark::DoNotOptimize(back);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LibplistXmlRead)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return benchsupport::runWithRatios(
        argc, argv,
        {{"typed XML vs QJsonDocument compact, map to file to map", "BM_TypedXml", "BM_QJsonCompact", 1.0},
         {"typed XML vs libplist XML plist, map to file to map", "BM_TypedXml", "BM_LibplistXml", 1.5},
         {"typed XML vs QJsonDocument compact, write", "BM_TypedXmlWrite", "BM_QJsonCompactWrite", 0},
         {"typed XML vs QJsonDocument compact, read", "BM_TypedXmlRead", "BM_QJsonCompactRead", 0},
         {"typed XML vs libplist XML plist, write", "BM_TypedXmlWrite", "BM_LibplistXmlWrite", 0},
         {"typed XML vs libplist XML plist, read", "BM_TypedXmlRead", "BM_LibplistXmlRead", 0},
         {"typed XML vs QJsonDocument indented, map to file to map", "BM_TypedXml", "BM_QJsonDocument", 0},
         {"typed XML vs QJsonDocument, document only", "BM_TypedXml", "BM_QJsonDocumentOnly", 0}});
}
