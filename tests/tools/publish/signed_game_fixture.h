#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "publish_fixture.h"
#include "support/nginx_server.h"
#include "tools/publish/publish_cli.h"
#include "tools/publish/web0_file.h"
#include "updater/engine/engine_fixture.h"
#include "updater/signing/update_statement.h"

namespace veyra::testing {

// Sets published by the operator's tool (keys, builds, signatures), served by nginx from the work
// folder's "site", and a game folder updated from them by the engine as a player's run would.
class SignedGameTest : public PublishTest {
 protected:
  // Runs one veyra-publish command, which must succeed.
  void Publish(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    ASSERT_EQ(RunPublishTool(args, out, err), kPublishOk) << err.str();
  }

  // Serves "site" and makes the game folder with one line to it.
  void ServeSiteToANewGame() {
    nginx = std::make_unique<NginxServer>(Path("site"));
    game = std::make_unique<TempFolder>();
    WriteFileBytes(game->path() / "web0.dat", MakeWeb0({{"Local", nginx->base_url()}}));
  }

  // Pins the public keys of the work folder's key files `keys` in the game folder.
  void Pin(const std::vector<std::string>& keys) {
    std::string pinned = "# the publishers of this game\n";
    for (const std::string& key : keys) pinned += ReadFileBytes(Path(key + ".pub"));
    WriteFileBytes(game->path() / kPinnedKeysFile, pinned);
  }

  UpdateStatement ServedStatement() const {
    return ParseStatement(ReadFileBytes(Path("site") / kStatementFile));
  }

  // Signs `statement` with the work folder's key file `key` and serves it.
  void Serve(const UpdateStatement& statement, const std::string& key) {
    const SecretKey secret = ParseSecretKeyFile(ReadFileBytes(Path(key)));
    WriteFileBytes(Path("site") / kStatementFile, SignStatement(statement, secret));
  }

  // The whole run as the player starts it: the search, the page and the main pass.
  RunOutcome Update(int connections = UpdaterEngine::kDefaultConnections) {
    view = ScriptedView{};
    engine = std::make_unique<UpdaterEngine>(view, "n");
    view.engine = engine.get();
    engine->SetHttpTimeouts(timeouts);
    engine->SetConnections(connections);
    engine->SetRandomPick([](int low, int) { return low; });
    engine->FormCreate();
    engine->FormResize();
    if (engine->outcome() == RunOutcome::kWaitingForStart) engine->StartPictureClicked();
    const RunOutcome outcome = engine->outcome();
    if (view.closes == 0) engine->FormClose();
    return outcome;
  }

  // The game folder without the updater's own files.
  Tree InstalledFiles() const {
    Tree tree = ReadTree(game->path());
    for (const char* own : {"web0.dat", "isp1.dat", "update2.dat", kPinnedKeysFile,
                            kAcceptedSerialFile, kCaBundleFile}) {
      tree.erase(own);
    }
    return tree;
  }

  HttpTimeouts timeouts{5000, 5000};
  std::unique_ptr<NginxServer> nginx;
  std::unique_ptr<TempFolder> game;
  ScriptedView view;
  std::unique_ptr<UpdaterEngine> engine;
};

}  // namespace veyra::testing
