# xencrypt / xdecrypt / xheader: blobs with headers and stored keys, keys
# from passphrases, JSON headers, and every failure with its text.
include(${CMAKE_CURRENT_LIST_DIR}/clitest.cmake)

set(plain ${WORK}/plain.txt)
file(WRITE ${plain} "Doublet: R1 61.1, R2 -44.6, R3 -129.0\n")
file(READ ${plain} original)
set(master --master-passphrase "Optik-Labor")

run(0 xencrypt ${master} --passphrase "Entwurf 7" --store-key --header "Author=Zoe"
    --header "Lens=f/2.8=fast" --in ${plain} --out ${WORK}/blob.bin)
file(READ ${WORK}/blob.bin head LIMIT 17 HEX)
# "encrypted<HEADER>"
expect_equal("${head}" "656e637279707465643c4845414445523e" "blob starts with marker and header")

# Whoever has the master key reads the data (the key is in the header).
run(0 xdecrypt ${master} --in ${WORK}/blob.bin)
expect_equal("${out}" "${original}" "stored key")
run(0 xheader ${master} --in ${WORK}/blob.bin)
expect_match("${out}" "^{\"Author\":\"Zoe\",\"Key\":[0-9]+,\"Lens\":\"f/2.8=fast\"}\n$" "header as JSON")

# Without a stored key the data key comes from the passphrase or a hex key.
run(0 xencrypt ${master} --passphrase "Entwurf 7" --no-identifier --format text
    --in ${plain} --out ${WORK}/blob.txt)
run(0 xdecrypt ${master} --passphrase "Entwurf 7" --format text --in ${WORK}/blob.txt)
expect_equal("${out}" "${original}" "data key from the passphrase")
run(1 xdecrypt ${master} --format text --in ${WORK}/blob.txt)
expect_match("${err}" "^basics-cli xdecrypt: Encryption key has not set\n$" "no data key")
expect_equal("${out}" "" "no data key prints nothing")
run(1 xdecrypt ${master} --passphrase "Entwurf 8" --format text --in ${WORK}/blob.txt)
expect_match("${err}" "Integrity failed" "wrong passphrase")
run(0 xheader ${master} --format text --in ${WORK}/blob.txt)
expect_equal("${out}" "{}\n" "no header block")
run(0 xencrypt --master-key 00000000000000a1 --key 1111111111111111 --in ${plain} --out ${WORK}/hex.bin)
run(0 xdecrypt --master-key 00000000000000a1 --key 1111111111111111 --in ${WORK}/hex.bin)
expect_equal("${out}" "${original}" "hex keys")

# Failures.
run(1 xheader --master-passphrase "other" --in ${WORK}/blob.bin)
expect_match("${err}" "cannot be read" "xheader with the wrong master key")
run(1 xdecrypt --master-passphrase "other" --in ${WORK}/blob.bin --out ${WORK}/never.txt)
expect_match("${err}" "Encryption key has not set" "wrong master key")
if(EXISTS ${WORK}/never.txt)
    message(FATAL_ERROR "a failed xdecrypt created its output file")
endif()
file(WRITE ${WORK}/empty.txt "")
run(1 xencrypt ${master} --key 1111111111111111 --in ${WORK}/empty.txt)
expect_match("${err}" "No data to encrypt/decrypt" "empty input")
run(1 xencrypt --master-key 0000000000000000 --key 1111111111111111 --in ${plain})
expect_match("${err}" "Master key not set" "master key 0")
run(1 xencrypt ${master} --in ${plain})
expect_match("${err}" "Encryption key has not set" "xencrypt without data key")
run(1 xdecrypt ${master} --in ${WORK}/empty.txt)
expect_match("${err}" "No data to encrypt/decrypt" "empty blob")
file(WRITE ${WORK}/marker.bin "encrypted")
run(1 xdecrypt ${master} --key 1111111111111111 --in ${WORK}/marker.bin)
expect_match("${err}" "No data to encrypt/decrypt" "marker only")

# Usage errors.
run(2 xencrypt --key 1111111111111111 --in ${plain})
run(2 xencrypt ${master} --master-key 0000000000000001 --in ${plain})
run(2 xencrypt ${master} --key 1111111111111111 --passphrase x --in ${plain})
run(2 xencrypt ${master} --key 1111111111111111 --header novalue --in ${plain})
run(2 xencrypt ${master} --key 1111111111111111 --header =value --in ${plain})
# The header's "Key" is the stored data key: not to be set by hand.
run(2 xencrypt ${master} --key 1111111111111111 --header Key=1234 --in ${plain} --out ${WORK}/hijack.bin)
expect_match("${err}" "^basics-cli xencrypt: --header cannot set \"Key\": use --store-key" "--header Key")
if(EXISTS ${WORK}/hijack.bin)
    message(FATAL_ERROR "a refused xencrypt wrote its output file")
endif()
run(0 xencrypt ${master} --key 1111111111111111 --header key=lower --header Keys=x --in ${plain})
run(2 xheader --master-key 12 --in ${plain})
