// serve_command.cpp - the service's process: its workers, its HTTP
// server, and its end on a signal.
#include "serve/serve_command.h"

#include <csignal>
#include <cstdio>
#include <pthread.h>
#include <thread>
#include <unistd.h>

#include "platform/os_specific.h"
#include "serve/http_routes.h"
#include "serve/scratch_dirs.h"
#include "serve/serve_worker.h"
#include "serve/worker_pool.h"
#include "session/run_config.h"

namespace tool {

namespace {

// The page installed beside the packaged configuration, else the build's.
std::string PackagedWeb() {
    std::string dir = ProgramDir();
    for (const char *rel : {"/../share/khapi/web", "/../data/web"})
        if (access((dir + rel + "/index.html").c_str(), R_OK) == 0) return dir + rel;
    return dir + "/../share/khapi/web";
}

// What each worker is started with: the library's configuration and log.
std::vector<std::string> WorkerArgs(const CommonOptions &common) {
    std::vector<std::string> args = {"serve"};
    if (!common.config.empty()) args.insert(args.end(), {"--config", Absolute(common.config)});
    if (!common.log.empty()) args.insert(args.end(), {"--log", Absolute(common.log)});
    return args;
}

sigset_t EndingSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&set, sig);
    return set;
}

int Serve(const ServeOptions &options, const CommonOptions &common) {
    // Every thread leaves the ending signals to the one that waits for them.
    sigset_t ending = EndingSignals();
    pthread_sigmask(SIG_BLOCK, &ending, nullptr);
    signal(SIGPIPE, SIG_IGN);
    std::string why, web = options.web.empty() ? PackagedWeb() : options.web;
    if (access((web + "/index.html").c_str(), R_OK) != 0) fprintf(stderr, "khapi serve: no page in %s\n", web.c_str());

    PoolSettings settings;
    settings.workers = options.workers > 0 ? options.workers : static_cast<int>(std::thread::hardware_concurrency());
    if (settings.workers < 1) settings.workers = 1;
    settings.queue = options.queue;
    settings.max_seconds = options.max_seconds;
    settings.worker_args = WorkerArgs(common);
    settings.scratch_root = MakeScratchRoot(&why);
    if (settings.scratch_root.empty()) return fprintf(stderr, "khapi serve: %s\n", why.c_str()), 1;
    int status = 1;
    {
        WorkerPool pool(settings);
        httplib::Server server;
        // Enough threads for every worker's request, the queue, and a few
        // for the page and the health checks.
        size_t threads = static_cast<size_t>(settings.workers) + settings.queue + 4;
        server.new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
        InstallRoutes(&server, &pool, options, web);
        int port = options.port;
        if (port == 0 ? (port = server.bind_to_any_port(options.host)) < 0 : !server.bind_to_port(options.host, port)) {
            fprintf(stderr, "khapi serve: cannot listen on %s port %d\n", options.host.c_str(), options.port);
        } else if (!pool.Start(&why)) {
            fprintf(stderr, "khapi serve: the workers could not start: %s\n", why.c_str());
        } else {
            fprintf(stderr, "khapi serve: listening on http://%s:%d/ with %d worker%s\n", options.host.c_str(), port,
                    settings.workers, settings.workers == 1 ? "" : "s");
            std::thread waiter([&server, ending] {
                int sig;
                sigwait(&ending, &sig);
                server.stop();
            });
            status = server.listen_after_bind() ? 0 : 1;
            pthread_kill(waiter.native_handle(), SIGTERM);  // wakes it when the server stopped by itself
            waiter.join();
            fprintf(stderr, "khapi serve: stopped\n");
        }
        pool.Stop();
    }
    RemoveScratchDir(settings.scratch_root);
    return status;
}

}  // namespace

CLI::App *AddServe(CLI::App *app, ServeOptions *o, CommonOptions *common) {
    CLI::App *serve = app->add_subcommand("serve", "serve assessment over HTTP, with a page that records the learner");
    serve->add_option("--host", o->host, "the address to listen on")->capture_default_str();
    serve->add_option("--port", o->port, "the port to listen on (0: any free one, printed)")
        ->check(CLI::Range(0, 65535))
        ->capture_default_str();
    serve
        ->add_option("--workers", o->workers,
                     "worker processes, each recognising one request at a time "
                     "(default: one a core)")
        ->check(CLI::Range(1, 64))
        ->type_name("N");
    serve->add_option("--queue", o->queue, "requests that may wait for a worker before 503")
        ->check(CLI::Range(0, 1024))
        ->capture_default_str();
    serve->add_option("--max-body", o->max_body, "the largest request, in bytes (413 beyond)")
        ->check(CLI::Range(size_t(1), size_t(1) << 31))
        ->capture_default_str()
        ->type_name("BYTES");
    serve->add_option("--max-seconds", o->max_seconds, "the longest a request waits for a worker (503) or runs (504)")
        ->check(CLI::Range(0.1, 3600.0))
        ->capture_default_str()
        ->type_name("S");
    serve->add_option("--allow-origin", o->allow_origin, "let pages from ORIGIN call the service (CORS)")
        ->type_name("ORIGIN");
    serve->add_option("--web", o->web, "serve the page from DIR (default: the packaged page)")
        ->check(CLI::ExistingDirectory)
        ->type_name("DIR");
    serve->add_option("--config", common->config, "configuration file (default: the packaged US English one)")
        ->check(CLI::ExistingFile)
        ->type_name("FILE");
    serve->add_option("--log", common->log, "log file for the library's failures; worker K writes NAME.K.EXT")
        ->type_name("FILE");
    // How the service starts its own workers; not for people.
    serve->add_option("--worker", o->worker)->group("")->check(CLI::Range(1, 64));
    serve->footer(
        "Endpoints: GET /v1/health; POST /v1/assess?text=..., /v1/align?text=..., "
        "/v1/recognise?grammar=... and /v1/f0 with the audio as the body or the multipart field "
        "\"audio\"; GET / for the page.  Answers are the documents of --json.");
    return serve;
}

int RunServe(const ServeOptions &options, const CommonOptions &common) {
    if (options.worker > 0) {
        CommonOptions worker = common;
        worker.json = true;
        return RunServeWorker(worker, options.worker);
    }
    return Serve(options, common);
}

}  // namespace tool
