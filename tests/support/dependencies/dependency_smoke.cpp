// Proves that every third-party library links into a 32-bit Windows program and works under
// Wine: one libcurl HTTPS request (verified against the system's trusted authorities), one zlib
// inflate, one PNG decode with stb_image and one RapidJSON parse.
//   dependency_smoke URL EXPECTED_BODY
#define STB_IMAGE_IMPLEMENTATION
#include "stb_image.h"

#include <curl/curl.h>
#include <zlib.h>

#include "rapidjson/document.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {

// A 2x2 RGBA picture: red at half alpha, green, blue at zero alpha, white.
const unsigned char kPng[] = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d,
    0x49, 0x48, 0x44, 0x52, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x02,
    0x08, 0x06, 0x00, 0x00, 0x00, 0x72, 0xb6, 0x0d, 0x24, 0x00, 0x00, 0x00,
    0x15, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9c, 0x63, 0xf8, 0xcf, 0xc0, 0xd0,
    0xc0, 0xf0, 0x1f, 0x08, 0x19, 0x40, 0x24, 0x10, 0x00, 0x00, 0x3d, 0xdb,
    0x08, 0x79, 0x2a, 0x37, 0x3e, 0x3a, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45,
    0x4e, 0x44, 0xae, 0x42, 0x60, 0x82,
};

size_t Collect(char* data, size_t size, size_t count, void* out) {
    static_cast<std::string*>(out)->append(data, size * count);
    return size * count;
}

bool CheckCurl(const char* url, const char* expected) {
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl) return false;
    std::string body;
    curl_easy_setopt(curl.get(), CURLOPT_URL, url);
    curl_easy_setopt(curl.get(), CURLOPT_SSL_OPTIONS, static_cast<long>(CURLSSLOPT_NATIVE_CA));
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, Collect);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT, 20L);
    const CURLcode rc = curl_easy_perform(curl.get());
    std::printf("curl: %s, body '%s'\n", curl_easy_strerror(rc), body.c_str());
    return rc == CURLE_OK && body == expected;
}

bool CheckZlib() {
    const char text[] = "inflate me, inflate me, inflate me";
    unsigned char packed[128];
    uLongf packedSize = sizeof(packed);
    if (compress(packed, &packedSize, reinterpret_cast<const Bytef*>(text), sizeof(text)) != Z_OK)
        return false;
    char plain[128] = {};
    uLongf plainSize = sizeof(plain);
    const int rc = uncompress(reinterpret_cast<Bytef*>(plain), &plainSize, packed, packedSize);
    std::printf("zlib %s: %d\n", zlibVersion(), rc);
    return rc == Z_OK && std::strcmp(plain, text) == 0;
}

bool CheckPng() {
    int w = 0, h = 0, channels = 0;
    std::unique_ptr<stbi_uc, decltype(&stbi_image_free)> pixels(
        stbi_load_from_memory(kPng, sizeof(kPng), &w, &h, &channels, 4), stbi_image_free);
    if (!pixels) return false;
    const stbi_uc* p = pixels.get();
    std::printf("png: %dx%d, first pixel %d,%d,%d,%d\n", w, h, p[0], p[1], p[2], p[3]);
    return w == 2 && h == 2 && p[0] == 255 && p[3] == 128 && p[5] == 255 && p[10] == 255;
}

bool CheckJson() {
    rapidjson::Document doc;
    doc.Parse("{\"result\":0,\"name\":\"\xe6\xb8\xb8\xe6\x88\x8f\"}");
    const bool ok = !doc.HasParseError() && doc["result"].GetInt() == 0 &&
                    std::strcmp(doc["name"].GetString(), "\xe6\xb8\xb8\xe6\x88\x8f") == 0;
    std::printf("rapidjson: %s\n", ok ? "ok" : "failed");
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: dependency_smoke URL EXPECTED_BODY\n");
        return 2;
    }
    curl_global_init(CURL_GLOBAL_DEFAULT);
    const bool ok = CheckZlib() & CheckPng() & CheckJson() & CheckCurl(argv[1], argv[2]);
    curl_global_cleanup();
    std::printf("%s\n", ok ? "all dependencies work" : "a dependency failed");
    return ok ? 0 : 1;
}
