#!/usr/bin/env python3
"""Writes the fuzz target's seed corpus: every answer form of the device
simulator (each request of the vocabulary, on every model, as received) and
the malformed texts the tests use. Run with the simulator built:

    python3 fuzz/make_corpus.py build/trivane-sim fuzz/corpus
"""
import hashlib, os, re, socket, subprocess, sys, time

REQUESTS = """(get,sw) (sw,3,2) (sw,2,a) (get,i.res,0) (get,i.res,1) (get,o.res,0) (set,o.res,1,2)
(get,o.format,1) (set,o.format,1,0) (get,brightness,1) (set,brightness,1,60) (get,contrast,1)
(set,contrast,1,40) (get,ext.audio,1) (set,ext.audio,1,1) (get,i.edid,1) (edid,config,1,3)
(cec,1,20) (get,splicermode,1) (set,splicermode,1,2,2) (get,splicerpos,1) (set,splicerpos,1,1,2)
(get,splicerbord,1) (set,splicerbord,1,10,10) (set,splicerclear,1) (set,splicerenable,1)
(set,splicersrc,1,2) (get,splitmode,1) (set,splitmode,1,3) (get,splitavsw,1) (set,splitavsw,1,1,2)
(scene,save,2) (scene,call,2) (scene,del,2) (scene,sta,0) (scene,sta,2) (scene,liststa)
(scene,gettime) (scene,time,10) (scene,list,1,2) (scene,polling,1) (scene,polling,0) (scene,pollsta)
(info,dev) (info,link) (ver) (rename,product,Hall) (get,i.baud) (set,i.baud,9600) (get,o.baud)
(set,o.baud,9600) (cer) (get,netcfg) (standby) (wakeup) (lock,1) (lock,0) (update,edid,1)
(update,mcu,1) (set,osd,1,1,2,3,Lunch) (get,osd,1) (sw,99,1) (bogus)""".split()

MALFORMED = [
    "err\r\n", "ok\r\nerr\r\n", "errand office\r\nsystemon\r\nunlock\r\nok\r\n",
    "Church in Southbrook\r\nsystemon\r\nunlock\r\nok\r\n", "Notebook\r\n", "Notebook\r\nsystemon\r\n",
    "ch4x4inYYYYYYYYYYYYYYYYYoutYYok", "ch4x4inYYNNoutYYNN", "ch4x4inYYNN", "inbaudrate9600ok",
    "out1in1\r\nok\r", "\n", "\r\n", "unlockok", "systemoffokout1in1ok", "scenepollinglistemptyok",
    "scenepollinglist1,3,5ok", "scene1isbereadyscene2isnotreadyok", "edid2updatedok", "edid3updated",
    "pleasechooseupdatefilech8x16inYYYYYYYYoutYYYYYYYYYYYYYYYYok", "pack3ok", "papack",
    "ip192.168.1.50mask255.255.255.0gateway192.168.1.1ok", "gatewaymask", "mcurxv1mcutxok", "mcuctrl",
    "group1splittermodeis99ok", "group1splittervideoABCD", "splicerpositiongroup:1,port:99,x:-1,y:;ok",
    "input1osd:1,pos:2,color:3,string:Merry Christmas,ok\r\n", "out17in1ok", "in0res1920x1080@60Hzok",
    "output99brightness300ok", "\x00\xff(sw,1,1)", "factoryreset\r\nok\r\n",
]

def main():
    sim, out = sys.argv[1], sys.argv[2]
    os.makedirs(out, exist_ok=True)
    seeds = [m.encode("latin-1") for m in MALFORMED]
    for model in ["4x2", "4x4", "8x8", "8x9", "8x16", "16x16"]:
        for kind in ["Orvex", "Orvex-T"]:
            proc = subprocess.Popen([sim, "--model", model, "--type", kind, "--tcp", "127.0.0.1:0",
                                     "--udp", "off"], stdout=subprocess.PIPE, text=True)
            ready = proc.stdout.readline()
            port = int(re.search(r"tcp=127\.0\.0\.1:(\d+)", ready).group(1))
            s = socket.create_connection(("127.0.0.1", port))
            s.settimeout(0.15)
            for request in REQUESTS:
                s.sendall(request.encode())
                data = b""
                try:
                    while True:
                        chunk = s.recv(65536)
                        if not chunk:
                            break
                        data += chunk
                except socket.timeout:
                    pass
                if data:
                    seeds.append(data)
            s.close()
            proc.kill()
            proc.wait()
    for seed in seeds:
        name = hashlib.sha1(seed).hexdigest()
        with open(os.path.join(out, name), "wb") as f:
            f.write(seed)
    print(len(set(seeds)), "seeds in", out)

if __name__ == "__main__":
    main()
