// SimpleCrypt's hot loop against OpenSSL's AES-128-GCM (EVP) on a 1 MiB
// payload with CompressNever + ChecksumIntegrity; the default policy against
// qCompress(data, 9) alone (the overhead beyond compression); the fast CRC
// and scramble against qChecksum and the byte-wise chain.

#include <Crypt/simplecrypt.h>

#include "Crypt/cryptkernels_p.h"
#include "support/benchratio.h"
#include "testsupport/randombytes.h"

#include <QRandomGenerator>

#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <cstdlib>
#include <vector>

namespace {

constexpr int s_size = 1 << 20;
constexpr quint64 s_key = Q_UINT64_C(0x0C2AD4A4ACB9F023);

const QByteArray &noise()
{
    static const QByteArray data = randomBytes(s_size, 1);
    return data;
}

// Text-like data that compresses about 4:1.
const QByteArray &text()
{
    static const QByteArray data = [] {
        QRandomGenerator random(2);
        static const char *words[] = {"lens ", "radius ", "12.5 ", "mm ", "surface ", "glass ",
                                      "N-BK7 ", "thickness ", "aperture ", "0.25 ", "stop ",
                                      "\n", "field ", "wavelength ", "587.6 ", "nm "};
        QByteArray bytes;
        while (bytes.size() < s_size)
            bytes += words[random.bounded(16)];
        bytes.truncate(s_size);
        return bytes;
    }();
    return data;
}

// Items per second are measured in CPU time: the ratios stay fair on a
// machine that other work shares.
void processed(benchmark::State &state)
{
    state.SetBytesProcessed(state.iterations() * s_size);
    state.SetItemsProcessed(state.iterations());
}

SimpleCrypt fastCypher()
{
    SimpleCrypt crypt(s_key);
    crypt.setCompressionPolicy(SimpleCrypt::CompressNever);
    crypt.setIntegrityMode(SimpleCrypt::ChecksumIntegrity);
    return crypt;
}

struct Aes
{
    Aes()
    {
        for (int i = 0; i < 16; ++i)
            key[i] = uchar(i * 7 + 1);
        for (int i = 0; i < 12; ++i)
            iv[i] = uchar(i * 3 + 2);
        context = EVP_CIPHER_CTX_new();
        if (!context || EVP_CipherInit_ex(context, EVP_aes_128_gcm(), nullptr, key, iv, 1) != 1)
            std::abort();
    }
    ~Aes() { EVP_CIPHER_CTX_free(context); }

    // One message: output allocated per call, as SimpleCrypt allocates its result.
    QByteArray encrypt(const QByteArray &in, uchar *tag)
    {
        QByteArray out(in.size(), Qt::Uninitialized);
        int length = 0;
        if (EVP_CipherInit_ex(context, nullptr, nullptr, key, iv, 1) != 1
            || EVP_CipherUpdate(context, reinterpret_cast<uchar *>(out.data()), &length,
                                reinterpret_cast<const uchar *>(in.constData()), in.size()) != 1
            || EVP_CipherFinal_ex(context, nullptr, &length) != 1
            || EVP_CIPHER_CTX_ctrl(context, EVP_CTRL_GCM_GET_TAG, 16, tag) != 1)
            std::abort();
        return out;
    }

    QByteArray decrypt(const QByteArray &in, uchar *tag)
    {
        QByteArray out(in.size(), Qt::Uninitialized);
        int length = 0;
        if (EVP_CipherInit_ex(context, nullptr, nullptr, key, iv, 0) != 1
            || EVP_CipherUpdate(context, reinterpret_cast<uchar *>(out.data()), &length,
                                reinterpret_cast<const uchar *>(in.constData()), in.size()) != 1
            || EVP_CIPHER_CTX_ctrl(context, EVP_CTRL_GCM_SET_TAG, 16, tag) != 1
            || EVP_CipherFinal_ex(context, nullptr, &length) != 1)
            std::abort(); // tag mismatch
        return out;
    }

    uchar key[16];
    uchar iv[12];
    EVP_CIPHER_CTX *context = nullptr;
};

void BM_SimpleCryptEncrypt(benchmark::State &state)
{
    SimpleCrypt crypt = fastCypher();
    for (auto _ : state) {
        const QByteArray cypher = crypt.encryptToByteArray(noise());
        benchmark::DoNotOptimize(cypher.constData());
    }
    processed(state);
}
BENCHMARK(BM_SimpleCryptEncrypt);

void BM_SimpleCryptDecrypt(benchmark::State &state)
{
    SimpleCrypt crypt = fastCypher();
    const QByteArray cypher = crypt.encryptToByteArray(noise());
    for (auto _ : state) {
        const QByteArray plain = crypt.decryptToByteArray(cypher);
        benchmark::DoNotOptimize(plain.constData());
    }
    if (crypt.decryptToByteArray(cypher) != noise())
        state.SkipWithError("round trip failed");
    processed(state);
}
BENCHMARK(BM_SimpleCryptDecrypt);

void BM_AesGcmEncrypt(benchmark::State &state)
{
    Aes aes;
    uchar tag[16];
    for (auto _ : state) {
        const QByteArray cypher = aes.encrypt(noise(), tag);
        benchmark::DoNotOptimize(cypher.constData());
    }
    processed(state);
}
BENCHMARK(BM_AesGcmEncrypt);

void BM_AesGcmDecrypt(benchmark::State &state)
{
    Aes aes;
    uchar tag[16];
    const QByteArray cypher = aes.encrypt(noise(), tag);
    for (auto _ : state) {
        const QByteArray plain = aes.decrypt(cypher, tag);
        benchmark::DoNotOptimize(plain.constData());
    }
    processed(state);
}
BENCHMARK(BM_AesGcmDecrypt);

// The default policy pays qCompress in any case; what it adds on top is the
// overhead.
void defaultPolicy(benchmark::State &state, const QByteArray &data)
{
    SimpleCrypt crypt(s_key);
    for (auto _ : state) {
        const QByteArray cypher = crypt.encryptToByteArray(data);
        benchmark::DoNotOptimize(cypher.constData());
    }
    processed(state);
}

void compressOnly(benchmark::State &state, const QByteArray &data)
{
    for (auto _ : state) {
        const QByteArray compressed = qCompress(data, 9);
        benchmark::DoNotOptimize(compressed.constData());
    }
    processed(state);
}

void BM_DefaultPolicyText(benchmark::State &state) { defaultPolicy(state, text()); }
void BM_QCompressText(benchmark::State &state) { compressOnly(state, text()); }
void BM_DefaultPolicyNoise(benchmark::State &state) { defaultPolicy(state, noise()); }
void BM_QCompressNoise(benchmark::State &state) { compressOnly(state, noise()); }
BENCHMARK(BM_DefaultPolicyText)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_QCompressText)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_DefaultPolicyNoise)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_QCompressNoise)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_Crc16(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(CryptKernels::checksum(noise().constData(), s_size));
    processed(state);
}
BENCHMARK(BM_Crc16);

void BM_QChecksum(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(qChecksum(noise().constData(), s_size));
    processed(state);
}
BENCHMARK(BM_QChecksum);

template <quint8 (*Scramble)(const uchar *, uchar *, std::size_t, quint64, unsigned, quint8)>
void scrambleLoop(benchmark::State &state)
{
    std::vector<uchar> out(s_size);
    const uchar *in = reinterpret_cast<const uchar *>(noise().constData());
    for (auto _ : state) {
        benchmark::DoNotOptimize(Scramble(in, out.data(), s_size, s_key, 0, 0));
        benchmark::ClobberMemory();
    }
    processed(state);
}
void BM_Scramble(benchmark::State &state) { scrambleLoop<CryptKernels::scramble>(state); }
void BM_ScrambleWords(benchmark::State &state) { scrambleLoop<CryptKernels::scrambleWords>(state); }
void BM_ScrambleByteWise(benchmark::State &state) { scrambleLoop<CryptKernels::scrambleSimple>(state); }
BENCHMARK(BM_Scramble);
BENCHMARK(BM_ScrambleWords);
BENCHMARK(BM_ScrambleByteWise);

} // namespace

int main(int argc, char **argv)
{
    return benchsupport::runWithRatios(
        argc, argv,
        {{"encrypt (never, checksum) vs AES-128-GCM, 1 MiB", "BM_SimpleCryptEncrypt",
          "BM_AesGcmEncrypt", 1.0},
         {"decrypt (never, checksum) vs AES-128-GCM, 1 MiB", "BM_SimpleCryptDecrypt",
          "BM_AesGcmDecrypt", 1.0},
         {"default policy vs qCompress alone, text", "BM_DefaultPolicyText/min_time:2.000",
          "BM_QCompressText/min_time:2.000",
          1.0 / 1.1},
         {"default policy vs qCompress alone, noise", "BM_DefaultPolicyNoise/min_time:1.000",
          "BM_QCompressNoise/min_time:1.000", 1.0 / 1.1},
         {"CRC-16 vs qChecksum", "BM_Crc16", "BM_QChecksum", 10.0},
         {"scramble vs byte-wise chain", "BM_Scramble", "BM_ScrambleByteWise", 2.0},
         {"scramble (64-bit words) vs byte-wise chain", "BM_ScrambleWords",
          "BM_ScrambleByteWise", 1.5}});
}
