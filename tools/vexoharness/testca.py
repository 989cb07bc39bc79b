"""The test certificate authority (scripts/make-test-ca.sh): its folder and the server
certificates in it ("localhost", "wrongname", "expired", "selfsigned")."""
import os
import ssl


def ca_dir():
    """$VEXO_TESTCA_DIR, else $VEXO_CACHE/testca, else ~/.cache/vexo/testca."""
    folder = os.environ.get("VEXO_TESTCA_DIR")
    if folder:
        return folder
    cache = os.environ.get("VEXO_CACHE") or os.path.expanduser("~/.cache/vexo")
    return os.path.join(cache, "testca")


def cert_pair(name, folder=None):
    """The certificate and key files of one server certificate."""
    folder = folder or ca_dir()
    return os.path.join(folder, name + ".crt"), os.path.join(folder, name + ".key")


def server_context(name="localhost", folder=None):
    """A TLS server context presenting one of the authority's certificates."""
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(*cert_pair(name, folder))
    return context
