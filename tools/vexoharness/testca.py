"""The test certificate authority (scripts/make-test-ca.sh): its folder and the server
certificates in it."""
import os
import ssl

# The server certificate a client must accept for "localhost", and those it must refuse there:
# another name, expired, self-signed, and signed by a certificate that may not sign (its file
# holds the whole chain, so a server presents the signer too).
TRUSTED_CERTIFICATE = "localhost"
REFUSED_CERTIFICATES = ("wrongname", "expired", "selfsigned", "nonca")
SERVER_CERTIFICATES = (TRUSTED_CERTIFICATE,) + REFUSED_CERTIFICATES


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
