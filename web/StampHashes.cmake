# Run after the game's page is linked: puts the content hash of vorrel.js,
# .wasm and .data into the page's links to them, so that a browser's cache
# can never mix the files of two builds. Usage: cmake -DDIR=build-web -P
file(SHA256 ${DIR}/vorrel.js js)
file(SHA256 ${DIR}/vorrel.wasm wasm)
file(SHA256 ${DIR}/vorrel.data data)
string(SUBSTRING ${js} 0 16 js)
string(SUBSTRING ${wasm} 0 16 wasm)
string(SUBSTRING ${data} 0 16 data)
file(READ ${DIR}/vorrel.html page)
string(REPLACE "src=\"vorrel.js\"" "src=\"vorrel.js?v=${js}\"" page "${page}")
string(REPLACE "@WASM_HASH@" "${wasm}" page "${page}")
string(REPLACE "@DATA_HASH@" "${data}" page "${page}")
file(WRITE ${DIR}/vorrel.html.new "${page}")
file(RENAME ${DIR}/vorrel.html.new ${DIR}/vorrel.html)
