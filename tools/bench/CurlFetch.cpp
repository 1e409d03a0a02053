// The bare libcurl downloader the benchmark compares the update runner
// with: one easy transfer of URL into FILE, nothing else.
//   CurlFetch.exe URL FILE
#include <cstdio>
#include <curl/curl.h>

static size_t WriteToFile(char* data, size_t size, size_t count, void* file)
{
    return fwrite(data, size, count, static_cast<FILE*>(file)) * size;
}

int main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: CurlFetch URL FILE\n");
        return 2;
    }
    FILE* out = fopen(argv[2], "wb");
    if (!out)
        return 1;
    CURL* easy = curl_easy_init();
    curl_easy_setopt(easy, CURLOPT_URL, argv[1]);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &WriteToFile);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, out);
    CURLcode code = curl_easy_perform(easy);
    curl_easy_cleanup(easy);
    fclose(out);
    return code == CURLE_OK ? 0 : 1;
}
