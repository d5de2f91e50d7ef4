/* Probes the Windows build's libcurl (Schannel for TLS, nghttp2 for HTTP/2) the way the updater
   uses it for an https line: certificates and host names verified against a pinned CA file only,
   HTTP/2 asked for by ALPN. scripts/windows/tls-check runs it under Wine against nginx.

     tls_probe features
         prints what the library was built with; status 0 only with SSL, HTTP2 and https.
     tls_probe get URL CA_FILE [strict] [resolve=HOST:PORT:ADDRESS]
         one transfer; prints "ok http=<version> status=<code>" or "error <code>: <text>".
         Revocation is checked best-effort (our CAs publish no revocation lists) unless
         "strict" is given. resolve= answers HOST with ADDRESS, so a name other than the
         certificate's can be asked for on 127.0.0.1.
     tls_probe multi URL CA_FILE COUNT
         COUNT transfers of URL?n=<i> on one multi handle that may multiplex; prints
         "ok transfers=<n> connections=<new connections made> http2=<transfers on HTTP/2>".

   TLS_PROBE_VERBOSE=1 in the environment shows curl's own account of each transfer.

   Status 0 when the transfers succeed with HTTP status 200, 1 on a bad command line, 2 when a
   transfer failed (the refusal the caller may expect), 3 when the library cannot be set up. */
#include <curl/curl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum { kMaxTransfers = 64 };

static size_t Discard(char* data, size_t size, size_t count, void* user) {
  (void)data;
  (void)user;
  return size * count;
}

static const char* VersionText(long version) {
  switch (version) {
    case CURL_HTTP_VERSION_1_0: return "1.0";
    case CURL_HTTP_VERSION_1_1: return "1.1";
    case CURL_HTTP_VERSION_2_0: return "2";
    default: return "none";
  }
}

/* The settings an https line gets in the updater: only the pinned CA file is trusted, peer and
   host are both verified, HTTP/2 by ALPN with HTTP/1.1 as the fallback. */
static int SetUp(CURL* easy, const char* url, const char* ca_file, int strict_revocation) {
  return curl_easy_setopt(easy, CURLOPT_URL, url) != CURLE_OK ||
         curl_easy_setopt(easy, CURLOPT_CAINFO, ca_file) != CURLE_OK ||
         curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L) != CURLE_OK ||
         curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L) != CURLE_OK ||
         curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, (long)CURL_HTTP_VERSION_2TLS) != CURLE_OK ||
         curl_easy_setopt(easy, CURLOPT_SSL_OPTIONS,
                          strict_revocation ? 0L : (long)CURLSSLOPT_REVOKE_BEST_EFFORT) != CURLE_OK ||
         curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, Discard) != CURLE_OK ||
         curl_easy_setopt(easy, CURLOPT_TIMEOUT, 20L) != CURLE_OK ||
         curl_easy_setopt(easy, CURLOPT_VERBOSE, getenv("TLS_PROBE_VERBOSE") ? 1L : 0L) != CURLE_OK;
}

static int Features(void) {
  const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
  int https = 0;
  printf("libcurl %s, TLS %s, nghttp2 %s\nprotocols:", info->version,
         info->ssl_version ? info->ssl_version : "none",
         info->nghttp2_version ? info->nghttp2_version : "none");
  for (const char* const* protocol = info->protocols; *protocol != NULL; ++protocol) {
    printf(" %s", *protocol);
    if (strcmp(*protocol, "https") == 0) https = 1;
  }
  int ssl = (info->features & CURL_VERSION_SSL) != 0;
  int http2 = (info->features & CURL_VERSION_HTTP2) != 0;
  printf("\nfeatures: SSL %s, HTTP2 %s\n", ssl ? "yes" : "no", http2 ? "yes" : "no");
  return ssl && http2 && https ? 0 : 2;
}

static int Get(const char* url, const char* ca_file, int argc, char** argv) {
  int strict = 0;
  struct curl_slist* resolve = NULL;
  for (int i = 0; i < argc; ++i) {
    if (strcmp(argv[i], "strict") == 0) {
      strict = 1;
    } else if (strncmp(argv[i], "resolve=", 8) == 0) {
      resolve = curl_slist_append(resolve, argv[i] + 8);
    } else {
      fprintf(stderr, "tls_probe: unknown option %s\n", argv[i]);
      return 1;
    }
  }
  CURL* easy = curl_easy_init();
  if (easy == NULL || SetUp(easy, url, ca_file, strict) ||
      (resolve != NULL && curl_easy_setopt(easy, CURLOPT_RESOLVE, resolve) != CURLE_OK)) {
    fprintf(stderr, "tls_probe: cannot set up the transfer\n");
    return 3;
  }
  char error[CURL_ERROR_SIZE] = "";
  curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, error);
  CURLcode result = curl_easy_perform(easy);
  long version = 0, status = 0;
  curl_easy_getinfo(easy, CURLINFO_HTTP_VERSION, &version);
  curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
  curl_easy_cleanup(easy);
  curl_slist_free_all(resolve);
  if (result != CURLE_OK) {
    printf("error %d: %s\n", (int)result, error[0] ? error : curl_easy_strerror(result));
    return 2;
  }
  printf("ok http=%s status=%ld\n", VersionText(version), status);
  return status == 200 ? 0 : 2;
}

static int Multi(const char* url, const char* ca_file, int count) {
  CURLM* multi = curl_multi_init();
  CURL* easy[kMaxTransfers];
  char urls[kMaxTransfers][512];
  if (multi == NULL ||
      curl_multi_setopt(multi, CURLMOPT_PIPELINING, (long)CURLPIPE_MULTIPLEX) != CURLM_OK) {
    return 3;
  }
  for (int i = 0; i < count; ++i) {
    snprintf(urls[i], sizeof urls[i], "%s?n=%d", url, i);
    easy[i] = curl_easy_init();
    /* PIPEWAIT: wait for the first connection to say whether it multiplexes, rather than open
       one connection per transfer at once. */
    if (easy[i] == NULL || SetUp(easy[i], urls[i], ca_file, 0) ||
        curl_easy_setopt(easy[i], CURLOPT_PIPEWAIT, 1L) != CURLE_OK ||
        curl_multi_add_handle(multi, easy[i]) != CURLM_OK) {
      return 3;
    }
  }
  /* Each transfer has its own 20 s limit, so this ends; the round limit is a second guard. */
  int running = count;
  for (int round = 0; running > 0 && round < 100000; ++round) {
    if (curl_multi_perform(multi, &running) != CURLM_OK) break;
    if (running > 0) curl_multi_poll(multi, NULL, 0, 100, NULL);
  }
  int succeeded = 0, http2 = 0;
  long connections = 0;
  CURLMsg* message;
  int left;
  while ((message = curl_multi_info_read(multi, &left)) != NULL) {
    if (message->msg != CURLMSG_DONE) continue;
    long status = 0, version = 0, made = 0;
    curl_easy_getinfo(message->easy_handle, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_getinfo(message->easy_handle, CURLINFO_HTTP_VERSION, &version);
    curl_easy_getinfo(message->easy_handle, CURLINFO_NUM_CONNECTS, &made);
    if (message->data.result == CURLE_OK && status == 200) ++succeeded;
    else printf("transfer failed: %s, status %ld\n", curl_easy_strerror(message->data.result), status);
    if (version == CURL_HTTP_VERSION_2_0) ++http2;
    connections += made;
  }
  for (int i = 0; i < count; ++i) {
    curl_multi_remove_handle(multi, easy[i]);
    curl_easy_cleanup(easy[i]);
  }
  curl_multi_cleanup(multi);
  printf("ok transfers=%d connections=%ld http2=%d\n", succeeded, connections, http2);
  return succeeded == count ? 0 : 2;
}

int main(int argc, char** argv) {
  if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) return 3;
  int status = 1;
  if (argc == 2 && strcmp(argv[1], "features") == 0) {
    status = Features();
  } else if (argc >= 4 && strcmp(argv[1], "get") == 0) {
    status = Get(argv[2], argv[3], argc - 4, argv + 4);
  } else if (argc == 5 && strcmp(argv[1], "multi") == 0) {
    int count = atoi(argv[4]);
    status = count >= 1 && count <= kMaxTransfers ? Multi(argv[2], argv[3], count) : 1;
  }
  if (status == 1) fprintf(stderr, "usage: see the comment at the top of tls_probe.c\n");
  curl_global_cleanup();
  return status;
}
